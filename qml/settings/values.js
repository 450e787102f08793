// A stored value as text; a missing value gives the empty text.
function text(v) {
    return (v === undefined || v === null) ? "" : "" + v
}

// A stored flag as the settings store reads it: empty, "0" and "false" are
// false, any other value is true.
function flag(v) {
    if (v === undefined || v === null)
        return false
    if (typeof v === "boolean")
        return v
    var s = "" + v
    return s !== "" && s !== "0" && s !== "false"
}

// A stored value as text; a missing value gives the empty text.
function text(v) {
    return (v === undefined || v === null) ? "" : "" + v
}

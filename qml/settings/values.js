// A stored value as text; a missing value gives the empty text.
function text(v) {
    return (v === undefined || v === null) ? "" : "" + v
}

// A control that shows a stored value and follows the store's changes for
// as long as the user leaves it alone; a control the user changed keeps the
// user's choice. c: {key: the setting, read(): the stored value as the
// control shows it, get(): what the control shows, set(v)}; base: the last
// stored value of each key.
function load(c, base) {
    var v = c.read()
    c.set(v)
    base[c.key] = v
}

// name: the key a change signal named; "" asks to read everything again.
function follow(c, base, name) {
    if (name !== "" && name !== c.key)
        return
    var v = c.read()
    if (c.get() === base[c.key])
        c.set(v)
    base[c.key] = v
}

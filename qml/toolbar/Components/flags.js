.pragma library

// A stored flag as the settings store reads it: empty, "0" and "false" are
// false, anything else true.
function isOn(value) {
    if (value === undefined || value === null)
        return false
    if (value === true || value === false)
        return value
    var text = String(value).trim().toLowerCase()
    return text !== "" && text !== "0" && text !== "false"
}

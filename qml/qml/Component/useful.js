// Helpers shared by the pages: stored flags, key names for hotkeys and file
// sizes.

// A stored flag as the settings store reads it (Setting::flag): empty, "0"
// and "false" in any case are false, anything else is true.
function flag(v) {
    if (v === undefined || v === null)
        return false
    if (typeof v === "boolean")
        return v
    var s = String(v).toLowerCase()
    return s !== "" && s !== "0" && s !== "false"
}

function getKeyText(key) {
    if (key >= Qt.Key_F1 && key <= Qt.Key_F12)
        return "F" + (key - Qt.Key_F1 + 1)
    if (key >= Qt.Key_0 && key <= Qt.Key_9)
        return String.fromCharCode(key)
    if (key >= Qt.Key_A && key <= Qt.Key_Z)
        return String.fromCharCode(key)
    if (key === Qt.Key_Print)
        return "Print"
    if (key === Qt.Key_Enter || key === Qt.Key_Return)
        return "Enter"
    return ""
}

// The held modifiers (Shift, Ctrl, Alt, in this order) and the key's text, or
// the empty text when no modifier is held.
function getHootKey(event) {
    var mods = []
    if (event.modifiers & Qt.ShiftModifier)
        mods.push("Shift")
    if (event.modifiers & Qt.ControlModifier)
        mods.push("Ctrl")
    if (event.modifiers & Qt.AltModifier)
        mods.push("Alt")
    if (mods.length === 0)
        return ""
    return [mods.join(" + "), getKeyText(event.key)]
}

function sizeToString(s, fractionDigits) {
    if (fractionDigits === undefined)
        fractionDigits = 2
    if (s < 1024 * 1024)
        return (s / 1024).toFixed(fractionDigits) + " " + qsTr("KB")
    return (s / 1048576).toFixed(fractionDigits) + " " + qsTr("MB")
}

function sizeToStringDropbox(s, fractionDigits) {
    if (fractionDigits === undefined)
        fractionDigits = 2
    if (s < 1024 * 1024)
        return (s / 1024).toFixed(fractionDigits) + " " + qsTr("KB")
    if (s < 1024 * 1024 * 1024)
        return (s / 1048576).toFixed(fractionDigits) + " " + qsTr("MB")
    return (s / 1073741824).toFixed(fractionDigits) + " " + qsTr("GB")
}

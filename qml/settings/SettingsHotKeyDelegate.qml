import QtQuick 2.12
import "../../Component" as Pc
import "../../Component/useful.js" as Fn

// Hot key tab: the three capture hotkeys and the fixed shortcuts of the
// capture window.
Item {
    id: root
    readonly property var rows: [fragmentRow, fullRow, quickRow]
    // Emitted when "Change" opens an input: the page drops the hotkeys.
    signal editingStarted()
    implicitWidth: 540
    implicitHeight: 480
    width: implicitWidth
    height: implicitHeight

    readonly property var keys: ["keyFragmentScreen", "keySnapshotScreen", "keyQuickFragmentScreen"]
    // The stored texts the rows last showed.
    property var base: ({})
    function load(fragment, full, quick) {
        fragmentRow.hotkey = fragment
        fullRow.hotkey = full
        quickRow.hotkey = quick
        base = { "keyFragmentScreen": fragment, "keySnapshotScreen": full, "keyQuickFragmentScreen": quick }
    }
    // A hotkey stored meanwhile reaches a row that is neither being edited
    // nor changed by the user.
    Connections {
        target: settings
        function onValueChanged(name, value) {
            for (var i = 0; i < root.keys.length; ++i) {
                var key = root.keys[i]
                if (name !== "" && name !== key)
                    continue
                var text = "" + settings.getValue(key)
                if (!root.rows[i].editing && root.rows[i].hotkey === root.base[key])
                    root.rows[i].hotkey = text
                root.base[key] = text
            }
        }
    }
    function save() {
        settings.setValue("keyFragmentScreen", fragmentRow.hotkey)
        settings.setValue("keySnapshotScreen", fullRow.hotkey)
        settings.setValue("keyQuickFragmentScreen", quickRow.hotkey)
    }

    // The same text as the hotkey registration sees it ("Print Screen" and
    // "Print" are one key, the order of the modifiers does not matter).
    function normalized(text) {
        if (typeof hotkeyTools !== "undefined" && hotkeyTools)
            return hotkeyTools.normalized(text)
        return text.replace(/Print Screen/g, "Print").replace(/ /g, "")
    }
    function isTaken(text, row) {
        var n = normalized(text)
        for (var i = 0; i < rows.length; ++i) {
            if (rows[i] !== row && normalized(rows[i].hotkey) === n)
                return true
        }
        return false
    }
    function take(row, text) {
        if (isTaken(text, row))
            return
        row.hotkey = text
        row.close()
    }
    function modifierText(mods) {
        var m = []
        if (mods & Qt.ShiftModifier)
            m.push("Shift")
        if (mods & Qt.ControlModifier)
            m.push("Ctrl")
        if (mods & Qt.AltModifier)
            m.push("Alt")
        return m.join(" + ")
    }

    function startEditing(row) {
        editingStarted()
        for (var i = 0; i < rows.length; ++i) {
            if (rows[i] !== row && rows[i].editing)
                rows[i].close()
        }
        row.open()
    }

    function keyPressed(row, event) {
        event.accepted = true
        if (event.key === Qt.Key_Enter || event.key === Qt.Key_Return || event.key === Qt.Key_Escape) {
            row.close()
            return
        }
        var hoot = Fn.getHootKey(event)
        if (hoot === "" || hoot[1] === "")
            return
        // On X11 Print also arrives as a key; it gets the watch's text.
        var key = event.key === Qt.Key_Print ? "Print Screen" : hoot[1]
        take(row, hoot[0] + " + " + key)
    }

    // Print Screen: the modifiers held at this moment, as the X server
    // reports them.
    function printPressed() {
        for (var i = 0; i < rows.length; ++i) {
            var row = rows[i]
            if (!row.editing || !row.inputFocused)
                continue
            var mods = (typeof hotkeyTools !== "undefined" && hotkeyTools) ? hotkeyTools.heldModifiers() : 0
            var m = modifierText(mods)
            take(row, m === "" ? "Print Screen" : m + " + Print Screen")
            return
        }
    }

    Connections {
        target: core
        ignoreUnknownSignals: true
        function onPrintModifiers(printMod) { if (printMod) root.printPressed() }
    }

    Column {
        width: parent.width
        spacing: 6
        Heading { text: qsTr("Primary") + core.emptyString }
        HotkeyRow {
            id: fragmentRow
            objectName: "fragmentRow"
            label: qsTr("Fragment screen") + core.emptyString
            onChangeClicked: root.startEditing(fragmentRow)
            onKeyPressed: root.keyPressed(fragmentRow, event)
        }
        HotkeyRow {
            id: fullRow
            objectName: "fullRow"
            label: qsTr("Full screen") + core.emptyString
            onChangeClicked: root.startEditing(fullRow)
            onKeyPressed: root.keyPressed(fullRow, event)
        }
        HotkeyRow {
            id: quickRow
            objectName: "quickRow"
            label: qsTr("Quick screen") + core.emptyString
            onChangeClicked: root.startEditing(quickRow)
            onKeyPressed: root.keyPressed(quickRow, event)
        }
        Item { width: 1; height: 8 }
        Heading { text: qsTr("Secondary") + core.emptyString }
        Reference { text: qsTr("Ctrl + Enter - Send screenshot to selected storage") + core.emptyString }
        Reference { text: qsTr("Ctrl + C - Copy screenshot to clipboard") + core.emptyString }
        Reference { text: qsTr("Ctrl + S - Save it to your computer") + core.emptyString }
        Reference { text: qsTr("Ctrl + C - Copy on clipboard #hex of color under cursor") + core.emptyString }
        Reference { text: qsTr("Esc - Cancel the removal of a screenshot") + core.emptyString }
        Item { width: 1; height: 8 }
        Heading { text: qsTr("Social") + core.emptyString }
        Reference { text: qsTr("Ctrl + Shift + F - Send screenshot to facebook") + core.emptyString }
        Reference { text: qsTr("Ctrl + Shift + T - Send screenshot to twitter") + core.emptyString }
        Reference { text: qsTr("Ctrl + Shift + V - Send screenshot to vkontakte") + core.emptyString }
        Reference { text: qsTr("Ctrl + Shift + O - Send screenshot to odnoklassniki") + core.emptyString }
        Reference { text: qsTr("Ctrl + Shift + E - Send screenshot to e-mail") + core.emptyString }
    }
}

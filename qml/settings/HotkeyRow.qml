import QtQuick 2.12
import "../../Component" as Pc

// One hotkey of the Hot key tab: its name, its text and a "Change" link
// that opens the input.
Item {
    id: root
    property string label: ""
    property string hotkey: ""
    property bool editing: false
    readonly property bool inputFocused: input.activeFocusInput
    // The text shown before the input took the focus.
    property string oldText: ""
    signal changeClicked()
    signal keyPressed(var event)
    implicitWidth: 540
    implicitHeight: 30
    width: implicitWidth
    height: implicitHeight

    function open() {
        input.text = hotkey
        editing = true
        input.setFocus()
    }
    function close() {
        editing = false
        input.text = hotkey
    }

    Text {
        id: name
        width: 170
        anchors.verticalCenter: parent.verticalCenter
        text: root.label
        color: settings.getValue("mainFontColor")
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 13
        elide: Text.ElideRight
    }
    Text {
        objectName: "hotkeyText"
        x: name.width + 10
        width: 220
        anchors.verticalCenter: parent.verticalCenter
        visible: !root.editing
        text: root.hotkey
        color: settings.getValue("mainFontColor")
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 13
        font.bold: true
    }
    Pc.HootKeyInput {
        id: input
        objectName: "hotkeyInput"
        x: name.width + 6
        width: 226
        height: 28
        anchors.verticalCenter: parent.verticalCenter
        visible: root.editing
        readOnly: true
        onActiveFocusInputChanged: {
            if (activeFocusInput) {
                root.oldText = text
                text = ""
            } else if (text === "") {
                text = root.oldText
            }
        }
        onKeyPress: root.keyPressed(event)
    }
    Pc.Link {
        objectName: "changeLink"
        x: name.width + 250
        anchors.verticalCenter: parent.verticalCenter
        text: qsTr("Change") + core.emptyString
        onClick: root.changeClicked()
    }
}

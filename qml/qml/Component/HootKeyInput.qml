import QtQuick 2.12
import "useful.js" as Fn

// The input of one hotkey: shows the held combination while keys are pressed.
Rectangle {
    id: root
    property alias textEdit: edit
    property alias text: edit.text
    property alias inputMask: edit.inputMask
    property alias echoMode: edit.echoMode
    property alias readOnly: edit.readOnly
    property alias font: edit.font
    property alias activeFocusInput: edit.activeFocus
    property alias focusInput: edit.focus
    property string lastHoot: ""
    signal tabPress()
    signal keyPress(var event)
    signal keyRelease(var event)
    implicitWidth: 200
    implicitHeight: 28
    color: "#ffffff"
    border.color: edit.activeFocus ? "#7fb5d5" : "#bab8b8"
    radius: 3

    function setFocus() { edit.forceActiveFocus() }

    Column {
        anchors.centerIn: parent
        visible: edit.activeFocus && edit.text === ""
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Press a key combination") + core.emptyString
            color: "#9a9ea3"
            font.family: edit.font.family
            font.pixelSize: 11
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Esc for cancel") + core.emptyString
            color: "#9a9ea3"
            font.family: edit.font.family
            font.pixelSize: 10
        }
    }
    TextInput {
        id: edit
        anchors.fill: parent
        anchors.leftMargin: 7
        anchors.rightMargin: 7
        verticalAlignment: TextInput.AlignVCenter
        clip: true
        color: settings.getValue("mainFontColor")
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 13
        Keys.onPressed: {
            root.keyPress(event)
            var hoot = Fn.getHootKey(event)
            if (hoot === "")
                root.lastHoot = ""
            else
                root.lastHoot = hoot[0] + (hoot[1] !== "" ? " + " + hoot[1] : "")
        }
        Keys.onReleased: {
            if (event.key === Qt.Key_Tab)
                root.tabPress()
            root.keyRelease(event)
            var keyText = Fn.getKeyText(event.key)
            if (keyText !== "")
                root.lastHoot = root.lastHoot.replace(" + " + keyText, "")
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: {
            edit.forceActiveFocus()
            edit.cursorPosition = edit.positionAt(mouse.x - edit.x, mouse.y - edit.y)
        }
    }
}

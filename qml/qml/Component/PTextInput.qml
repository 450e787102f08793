import QtQuick 2.12

// A single-line text field with a fading grey hint.
Rectangle {
    id: root
    property string label: ""
    property alias text: input.text
    property alias echoMode: input.echoMode
    property alias validator: input.validator
    property alias inputFocus: input.activeFocus
    signal accepted()
    signal rightClick()
    implicitWidth: 200
    implicitHeight: 28
    color: "#ffffff"
    border.color: input.activeFocus ? "#7fb5d5" : "#bab8b8"
    radius: 3

    function focus() { input.forceActiveFocus() }

    Text {
        anchors.fill: input
        verticalAlignment: Text.AlignVCenter
        text: root.label
        color: "#9a9ea3"
        font: input.font
        opacity: input.text === "" ? 1.0 : 0.0
        Behavior on opacity { NumberAnimation { duration: 150 } }
    }
    TextInput {
        id: input
        anchors.fill: parent
        anchors.leftMargin: 7
        anchors.rightMargin: 7
        verticalAlignment: TextInput.AlignVCenter
        clip: true
        selectByMouse: true
        color: settings.getValue("mainFontColor")
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 13
        onAccepted: root.accepted()
    }
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.RightButton
        onPressed: root.rightClick()
    }
}

import QtQuick 2.12

// Text button of the close confirmation.
Rectangle {
    id: button
    property string text: ""
    signal click()
    width: 120
    height: 36
    radius: 4
    color: mouse.pressed ? "#2f7aa0" : (mouse.containsMouse ? "#4ba3cc" : "#3a8db5")
    Text {
        anchors.centerIn: parent
        color: "white"
        font.family: "Arial"
        font.pixelSize: 14
        text: button.text
    }
    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        onClicked: button.click()
    }
}

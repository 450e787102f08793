import QtQuick 2.12

// Check box of the close confirmation; a click toggles `check`.
Item {
    id: box
    property string text: ""
    property bool check: false
    signal clicked()
    width: row.width
    height: row.height
    Row {
        id: row
        spacing: 8
        Rectangle {
            width: 16; height: 16; radius: 2
            color: "transparent"; border.color: "white"
            Rectangle { anchors.centerIn: parent; width: 8; height: 8; color: "white"; visible: box.check }
        }
        Text { color: "white"; font.family: "Arial"; font.pixelSize: 13; text: box.text }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: { box.check = !box.check; box.clicked() }
    }
}

import QtQuick 2.12

// An image button with white text and a pressed look; the base of the blue,
// dark and login buttons.
Item {
    id: root
    property string text: ""
    property string background: ""
    property int cursor: Qt.ArrowCursor
    signal click()
    implicitWidth: Math.max(90, label.implicitWidth + 30)
    implicitHeight: 30
    width: implicitWidth
    height: implicitHeight

    BorderImage {
        anchors.fill: parent
        source: root.background
        border { left: 6; top: 6; right: 6; bottom: 6 }
        opacity: area.pressed ? 0.8 : (area.containsMouse ? 0.92 : 1.0)
    }
    Text {
        id: label
        anchors.centerIn: parent
        anchors.verticalCenterOffset: area.pressed ? 1 : 0
        text: root.text
        color: "#ffffff"
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 13
        font.bold: true
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: root.cursor
        onClicked: root.click()
    }
}

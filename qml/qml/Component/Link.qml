import QtQuick 2.12

// An underlined link text.
Item {
    id: root
    property string text: ""
    property int pixelSize: 13
    property bool textDecoration: true
    property int hAlign: -1
    signal click()
    implicitWidth: label.implicitWidth
    implicitHeight: label.implicitHeight
    width: implicitWidth
    height: implicitHeight

    Text {
        id: label
        anchors.fill: parent
        text: root.text
        color: area.containsMouse ? "#009ed8" : "#0b77a2"
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: root.pixelSize
        font.underline: root.textDecoration
        horizontalAlignment: root.hAlign === -1 ? Text.AlignLeft : root.hAlign
        verticalAlignment: Text.AlignVCenter
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: root.click()
    }
}

import QtQuick 2.12

// A round choice button with a text; a click toggles it.
Item {
    id: root
    property string text: ""
    property bool check: false

    signal click(bool check)
    implicitWidth: box.width + 7 + label.implicitWidth
    implicitHeight: Math.max(box.height, label.implicitHeight)
    width: implicitWidth
    height: implicitHeight

    Image {
        id: box
        width: 13
        height: 13
        anchors.verticalCenter: parent.verticalCenter
        source: "qrc:/component/image/component/radio_" + (root.check ? "select" : "unselect")
                + (area.containsMouse ? "_enter" : "_over") + ".png"
    }
    Text {
        id: label
        x: box.width + 7
        anchors.verticalCenter: parent.verticalCenter
        text: root.text
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 13
        color: settings.getValue("mainFontColor")
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: {
            root.check = !root.check
            root.click(root.check)
        }
    }
}

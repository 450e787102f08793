import QtQuick 2.12

// A check box with a text; a click toggles it.
Item {
    id: root
    property string text: ""
    property bool check: false
    property font font: Qt.font({ family: settings.getValue("mainFontFamily"), pixelSize: 13 })
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
        source: "qrc:/component/image/component/checkbox_" + (root.check ? "select" : "unselect")
                + (area.containsMouse ? "_enter" : "_over") + ".png"
    }
    Text {
        id: label
        x: box.width + 7
        anchors.verticalCenter: parent.verticalCenter
        text: root.text
        font: root.font
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

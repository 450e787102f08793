import QtQuick 2.12

// An image-and-text button of the tool pages; hovering for a second shows its
// tool tip.
Item {
    id: root
    property string text: ""
    property string image: ""
    property string toolText: ""
    property Item toolTip: null
    signal click()
    implicitWidth: 100
    implicitHeight: 50
    width: implicitWidth
    height: implicitHeight

    function hideTip() {
        tipTimer.stop()
        if (toolTip && toolTip.mouseItem === root)
            toolTip.visible = false
    }

    Rectangle {
        anchors.fill: parent
        radius: 4
        color: area.pressed ? "#dde6ec" : (area.containsMouse ? "#eaf1f5" : "transparent")
    }
    Image {
        id: icon
        anchors.horizontalCenter: parent.horizontalCenter
        y: 6
        width: 24
        height: 24
        source: root.image
    }
    Text {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: icon.bottom
        anchors.topMargin: 3
        text: root.text
        color: settings.getValue("mainFontColor")
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 12
    }
    Timer {
        id: tipTimer
        interval: 1000
        onTriggered: {
            if (!root.toolTip || root.toolText === "")
                return
            root.toolTip.text = root.toolText
            root.toolTip.mouseItem = root
            root.toolTip.mouseX = area.mouseX
            root.toolTip.mouseY = area.mouseY
            root.toolTip.visible = true
            root.toolTip.updatePos()
        }
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onEntered: tipTimer.restart()
        onExited: root.hideTip()
        onPressed: root.hideTip()
        onClicked: root.click()
    }
}

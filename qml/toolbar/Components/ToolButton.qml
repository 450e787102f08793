import QtQuick 2.12

// Icon button of the toolbar; a click reports the inverted check state.
Item {
    id: button
    property string name: ""
    property string icon: ""
    property bool check: false
    property bool enter: mouse.containsMouse
    property string toolTipText: ""
    property string subToolTipText: ""
    property bool toolTip: false
    property bool enable: true
    property int toolInterval: 1000

    signal click(string arg, bool check)

    width: 46
    height: 46
    opacity: enable ? 1.0 : 0.4

    Rectangle {
        anchors.fill: parent
        radius: 4
        color: button.check ? "#4ba3cc" : (button.enter && button.enable ? "#3a3d42" : "transparent")
    }
    Image {
        anchors.centerIn: parent
        source: button.icon
        smooth: true
    }
    Timer {
        id: toolTipTimer
        interval: button.toolInterval
        onTriggered: button.toolTip = button.toolTipText !== ""
    }
    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        onContainsMouseChanged: {
            if (containsMouse) {
                toolTipTimer.restart()
            } else {
                toolTipTimer.stop()
                button.toolTip = false
            }
        }
        onClicked: {
            button.toolTip = false
            toolTipTimer.stop()
            if (button.enable)
                button.click(button.name, !button.check)
        }
    }
    Rectangle {
        id: tip
        objectName: "toolTip"
        visible: button.toolTip
        z: 50004
        y: -height - 6
        x: (button.width - width) / 2
        width: Math.min(210, tipText.implicitWidth + 16)
        height: tipText.height + 12
        radius: 3
        color: "#1c1e21"
        border.color: "#4ba3cc"
        Text {
            id: tipText
            x: 8
            y: 6
            width: Math.min(194, implicitWidth)
            wrapMode: Text.WordWrap
            color: "white"
            font.family: "Arial"
            font.pixelSize: 12
            textFormat: Text.StyledText
            text: button.toolTipText + (button.subToolTipText !== ""
                  ? "<br>" + button.subToolTipText.replace(/\n/g, "<br>") : "")
        }
    }
}

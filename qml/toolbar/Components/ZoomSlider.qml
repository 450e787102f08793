import QtQuick 2.12

// Zoom of the panorama editor, in per cent.
Item {
    id: zoom
    property int minValue: 25
    property int maxValue: 163
    property int value: 25
    signal valueChangeComplete(int value, int oldValue)
    property int pressValue: value

    width: 180
    height: 24

    function valueAt(x) {
        var v = Math.round(minValue + (maxValue - minValue) * Math.max(0, Math.min(track.width, x)) / track.width)
        return Math.max(minValue, Math.min(maxValue, v))
    }

    Rectangle {
        id: track
        x: 0
        width: 130
        height: 4
        radius: 2
        anchors.verticalCenter: parent.verticalCenter
        color: "#5a5d61"
    }
    Rectangle {
        x: (zoom.value - zoom.minValue) * track.width / (zoom.maxValue - zoom.minValue) - width / 2
        anchors.verticalCenter: parent.verticalCenter
        width: 14; height: 14; radius: 7
        color: "white"
    }
    Text {
        objectName: "zoomText"
        x: track.width + 10
        anchors.verticalCenter: parent.verticalCenter
        color: "white"
        font.family: "Arial"
        font.pixelSize: 12
        text: zoom.value + "%"
    }
    MouseArea {
        width: track.width
        height: parent.height
        onPressed: { zoom.pressValue = zoom.value; zoom.value = zoom.valueAt(mouse.x) }
        onPositionChanged: if (pressed) zoom.value = zoom.valueAt(mouse.x)
        onReleased: zoom.valueChangeComplete(zoom.value, zoom.pressValue)
    }
}

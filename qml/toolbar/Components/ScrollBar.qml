import QtQuick 2.12

// Scroll bar: position and pageSize are fractions of the content (0 … 1).
Item {
    id: bar
    property real position: 0
    property real pageSize: 1
    property int orientation: Qt.Vertical
    signal dragScroll(int diff)

    readonly property bool vertical: orientation === Qt.Vertical
    width: vertical ? 12 : 100
    height: vertical ? 100 : 12

    Rectangle {
        anchors.fill: parent
        radius: 6
        color: "#40000000"
    }
    Rectangle {
        id: handle
        radius: 5
        color: "#c0ffffff"
        x: bar.vertical ? 1 : bar.position * bar.width
        y: bar.vertical ? bar.position * bar.height : 1
        width: bar.vertical ? bar.width - 2 : Math.max(12, bar.pageSize * bar.width)
        height: bar.vertical ? Math.max(12, bar.pageSize * bar.height) : bar.height - 2
        MouseArea {
            anchors.fill: parent
            property int last: 0
            onPressed: last = bar.vertical ? mouse.y + handle.y : mouse.x + handle.x
            onPositionChanged: {
                var now = bar.vertical ? mouse.y + handle.y : mouse.x + handle.x
                bar.dragScroll(now - last)
                last = now
            }
        }
    }
}

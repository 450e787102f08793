import QtQuick 2.12

// A grey track with a blue bar.
Rectangle {
    id: root
    property real minimum: 0
    property real maximum: 100
    property real value: 0
    implicitWidth: 100
    implicitHeight: 6
    radius: 3
    color: "#eef0f3"
    border.color: "#cbced5"
    clip: true

    Rectangle {
        height: parent.height
        radius: parent.radius
        color: "#1a8fc9"
        width: root.maximum === root.minimum ? 0
               : Math.max(0, Math.min(1, (root.value - root.minimum) / (root.maximum - root.minimum))) * root.width
    }
}

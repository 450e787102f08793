import QtQuick 2.12

// One row of the accept menu.
Item {
    id: item
    property string text: ""
    property string shortcut: ""
    property string icon: ""
    property bool isHover: mouse.containsMouse
    signal click()

    width: 280
    height: 30

    Rectangle {
        anchors.fill: parent
        color: item.isHover ? "#4ba3cc" : "transparent"
    }
    Image {
        x: 12
        anchors.verticalCenter: parent.verticalCenter
        width: 18
        height: 18
        source: item.icon
        smooth: true
    }
    Text {
        x: 40
        anchors.verticalCenter: parent.verticalCenter
        color: "white"
        font.family: "Arial"
        font.pixelSize: 13
        text: item.text
    }
    Text {
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        color: item.isHover ? "#eaf4f9" : "#a0a4a8"
        font.family: "Arial"
        font.pixelSize: 12
        text: item.shortcut
    }
    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        onReleased: if (containsMouse) item.click()
    }
}

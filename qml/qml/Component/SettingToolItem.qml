import QtQuick 2.12

// One tab of the settings window; a click turns it on.
Item {
    id: root
    property int iconWidth: 36
    property int iconHeight: 36
    property string iconSource: ""
    property bool check: false
    property string text: ""
    implicitWidth: 90
    implicitHeight: 70
    width: implicitWidth
    height: implicitHeight

    Rectangle {
        anchors.fill: parent
        visible: root.check
        radius: 4
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#ffffff" }
            GradientStop { position: 1.0; color: "#e4eaee" }
        }
        border.color: "#d3d9dd"
    }
    Image {
        id: icon
        anchors.horizontalCenter: parent.horizontalCenter
        y: 6
        width: root.iconWidth
        height: root.iconHeight
        source: root.iconSource
    }
    Text {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: icon.bottom
        anchors.topMargin: 4
        text: root.text
        color: "#45494b"
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 12
    }
    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: root.check = true
    }
}

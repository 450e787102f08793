import QtQuick 2.12

// A light gradient button.
Rectangle {
    id: root
    property string text: ""
    signal click()
    implicitWidth: Math.max(90, label.implicitWidth + 30)
    implicitHeight: 28
    width: implicitWidth
    height: implicitHeight
    radius: 5
    border.color: "#919293"
    gradient: Gradient {
        GradientStop { position: 0.0; color: "#ffffff" }
        GradientStop { position: 1.0; color: area.containsMouse ? "#dcdbdb" : "#c6c5c5" }
    }
    Text {
        id: label
        anchors.centerIn: parent
        anchors.verticalCenterOffset: area.pressed ? 1 : 0
        text: root.text
        color: area.containsMouse ? "#0b77a2" : settings.getValue("mainFontColor")
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 13
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onClicked: root.click()
    }
}

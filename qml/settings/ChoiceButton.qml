import QtQuick 2.12

// One of a group of exclusive buttons (storage target, language); the group
// binds `check` and turns a button on when it emits click().
Rectangle {
    id: root
    property string text: ""
    property bool check: false
    signal click()
    implicitWidth: Math.max(80, label.implicitWidth + 24)
    implicitHeight: 26
    width: implicitWidth
    height: implicitHeight
    radius: 4
    border.color: check ? "#1a8fc9" : "#bab8b8"
    gradient: Gradient {
        GradientStop { position: 0.0; color: root.check ? "#e8f4fb" : "#ffffff" }
        GradientStop { position: 1.0; color: root.check ? "#cfe7f5" : (area.containsMouse ? "#ececec" : "#e0e0e0") }
    }
    Text {
        id: label
        anchors.centerIn: parent
        text: root.text
        color: root.check ? "#0b77a2" : settings.getValue("mainFontColor")
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 13
        font.bold: root.check
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: root.click()
    }
}

import QtQuick 2.12

// The close or minimise button of a frame.
Item {
    id: root
    property string type: ""
    signal click()
    width: 16
    height: 16

    Image {
        anchors.fill: parent
        source: root.type === "" ? ""
                : "qrc:/component/image/component/" + root.type + (area.containsMouse ? "_enter" : "") + ".png"
    }
    MouseArea {
        id: area
        anchors.fill: parent
        anchors.margins: -4
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: root.click()
    }
}

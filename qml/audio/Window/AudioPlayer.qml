import QtQuick 2.12
import "../Component" as Pc

// An image-with-audio file: the picture, and a play overlay while silent.
Pc.Window {
    id: page
    windowWidth: 800
    windowHeight: 600
    iconVisible: false
    titleText: "Pryx"

    Item {
        id: panel
        anchors.fill: parent
        anchors.margins: 10
        anchors.topMargin: 40

        Image {
            id: picture
            objectName: "picture"
            anchors.fill: parent
            fillMode: Image.PreserveAspectFit
            source: "image://background/data"
            cache: false
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: player.stopAudio()
            }
        }

        Rectangle {
            id: overlay
            objectName: "overlay"
            anchors.fill: parent
            color: "black"
            opacity: 0.2
            visible: !player.isPlay && player.errorText === ""
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: player.playAudio()
            }
        }

        Image {
            objectName: "playIcon"
            source: "qrc:/image/image/component/play-icon.png"
            width: 120
            fillMode: Image.PreserveAspectFit
            anchors.centerIn: parent
            visible: overlay.visible
        }

        Text {
            objectName: "errorText"
            anchors.centerIn: parent
            width: parent.width - 40
            visible: player.errorText !== ""
            text: player.errorText
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
            color: settings.getValue("mainFontColor")
            font.family: page.fontFamily
            font.pixelSize: 14
        }
    }
}

import QtQuick 2.12
import "../Component" as Pc

// Shown when every upload is over: open or copy the last link.
Pc.Window {
    id: page

    titleText: "Pryx"
    windowWidth: 241
    windowHeight: 230

    function readCheck() { doNotShow.check = settings.showLastUpload !== true }
    Component.onCompleted: readCheck()
    Connections {
        target: settings
        function onValueChanged() { page.readCheck() }
    }

    Pc.ToolTip {
        id: toolTip
        maxWidth: 170
    }

    Text {
        objectName: "lastUploadHeading"
        y: 46
        anchors.horizontalCenter: parent.horizontalCenter
        text: qsTr("Upload complete") + core.emptyString
        color: settings.getValue("mainFontColor")
        font.family: page.fontFamily
        font.pixelSize: 14
        font.bold: true
    }

    Row {
        y: 78
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 1
        Pc.ToolPushButton {
            objectName: "openButton"
            width: 105; height: 80
            text: qsTr("Open") + core.emptyString
            toolText: qsTr("Open link in the last screenshot/file") + core.emptyString
            image: "qrc:/icon/image/icon/open.png"
            toolTip: toolTip
            onClick: {
                core.openLastLink()
                window.close()
            }
        }
        Pc.ToolPushButton {
            objectName: "copyButton"
            width: 105; height: 80
            text: qsTr("Copy") + core.emptyString
            toolText: qsTr("Copy link of the last screenshot/file") + core.emptyString
            image: "qrc:/icon/image/icon/copy.png"
            toolTip: toolTip
            onClick: {
                core.copyLastLink()
                window.close()
            }
        }
    }

    Pc.CheckBox {
        id: doNotShow
        objectName: "doNotShow"
        x: 20
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 18
        text: qsTr("Do not show this window") + core.emptyString
        onClick: settings.showLastUpload = !check
    }
}

import QtQuick 2.12
import "../Component" as Pc

// The running uploads with their progress; Cancel stops them all.
Pc.Window {
    id: page
    readonly property var model: typeof core.uploadModel === "function" ? core.uploadModel() : null

    titleText: "Pryx - " + qsTr("Upload") + core.emptyString
    windowWidth: 240
    windowHeight: 155 + 33 * jobs.count

    Text {
        id: heading
        objectName: "uploadHeading"
        x: 20
        y: 44
        width: parent.width - 40
        wrapMode: Text.WordWrap
        text: (settings.typeUpload !== "dropbox" ? qsTr("Link already in the clipboard")
                                                              : qsTr("Upload...")) + core.emptyString
        color: settings.getValue("mainFontColor")
        font.family: page.fontFamily
        font.pixelSize: 13
        font.bold: true
    }

    ListView {
        id: jobs
        objectName: "uploadList"
        x: 20
        y: 74
        width: parent.width - 40
        height: 33 * count
        interactive: false
        spacing: 3
        model: page.model
        delegate: Item {
            objectName: "uploadRow"
            width: jobs.width
            height: 30
            Text {
                id: archiveText
                objectName: "archiveText"
                visible: model.archive === true
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Archive...") + core.emptyString
                color: settings.getValue("mainFontColor")
                font.family: page.fontFamily
                font.pixelSize: 12
            }
            Pc.ProgressBar {
                objectName: "uploadProgress"
                anchors.verticalCenter: parent.verticalCenter
                x: archiveText.visible ? archiveText.width + 10 : 0
                width: parent.width - x
                height: 6
                minimum: 0
                maximum: model.total === undefined ? 0 : model.total
                value: model.download === undefined ? 0 : model.download
            }
        }
    }

    Pc.PushButton {
        objectName: "cancelButton"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: doNotShow.top
        anchors.bottomMargin: 12
        width: 100
        height: 26
        text: qsTr("Cancel") + core.emptyString
        onClick: core.cancelUpload()
    }

    Pc.CheckBox {
        id: doNotShow
        objectName: "doNotShow"
        x: 20
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 16
        text: qsTr("Do not show this window") + core.emptyString
        check: settings.showUpload !== true
        onClick: settings.showUpload = !check
    }
}

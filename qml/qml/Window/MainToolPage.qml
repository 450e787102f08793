import QtQuick 2.12
import "../Component" as Pc

// The small main tool window: captures, history, settings and the last link
// while logged in, the login offer otherwise.
Pc.Window {
    id: page
    // The login object may not exist yet: then nobody is logged in.
    readonly property bool auth: core.account ? core.account.auth === true : false
    readonly property bool hasLastLink: core.lastLink !== ""

    titleText: "Pryx"
    windowWidth: 241
    windowHeight: auth && hasLastLink ? 430 : 300

    Connections {
        target: window
        function onShowed() { window.updatePos() }
    }
    Connections {
        target: core.account
        ignoreUnknownSignals: true
        function onAuthChanged() { window.close() }
    }

    Pc.ToolTip {
        id: toolTip
        maxWidth: 170
    }

    Grid {
        id: toolPanel
        objectName: "toolPanel"
        visible: page.auth
        y: 40
        x: 10
        width: parent.width - 20
        height: 220
        columns: 2
        rowSpacing: 10
        columnSpacing: 1
        topPadding: 12

        Pc.ToolPushButton {
            objectName: "fragmentButton"
            width: 110; height: 95
            text: qsTr("Fragment") + core.emptyString
            toolText: qsTr("Capture fragment screen") + core.emptyString
            image: "qrc:/icon/image/icon/fragment.png"
            toolTip: toolTip
            onClick: core.screen(false, false)
        }
        Pc.ToolPushButton {
            objectName: "fullScreenButton"
            width: 110; height: 95
            text: qsTr("Full screen") + core.emptyString
            toolText: qsTr("Fullscreen - capture full screen") + core.emptyString
            image: "qrc:/icon/image/icon/screen.png"
            toolTip: toolTip
            onClick: core.screen(true, false)
        }
        Pc.ToolPushButton {
            objectName: "historyButton"
            width: 110; height: 95
            text: qsTr("History") + core.emptyString
            toolText: qsTr("History - show history") + core.emptyString
            image: "qrc:/icon/image/icon/history.png"
            toolTip: toolTip
            onClick: {
                window.hide()
                core.openHistory()
            }
        }
        Pc.ToolPushButton {
            objectName: "settingsButton"
            width: 110; height: 95
            text: qsTr("Settings") + core.emptyString
            image: "qrc:/icon/image/icon/setting.png"
            toolTip: toolTip
            onClick: {
                core.showSetting()
                window.close()
            }
        }
    }

    Item {
        id: lastUploadPanel
        objectName: "lastUploadPanel"
        visible: page.auth && page.hasLastLink
        anchors.top: toolPanel.bottom
        x: 10
        width: parent.width - 20
        height: 130

        Rectangle {
            x: 10
            width: parent.width - 20
            height: 1
            color: "#d5d8da"
        }
        Text {
            objectName: "lastUploadLabel"
            y: 12
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Last upload") + core.emptyString
            color: settings.getValue("mainFontColor")
            font.family: page.fontFamily
            font.pixelSize: 13
            font.bold: true
        }
        Row {
            y: 34
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 1
            Pc.ToolPushButton {
                objectName: "openButton"
                width: 110; height: 80
                text: qsTr("Open") + core.emptyString
                toolText: qsTr("Open link in the last screenshot/file") + core.emptyString
                image: "qrc:/icon/image/icon/open.png"
                toolTip: toolTip
                onClick: {
                    core.openLastLink()
                    window.hide()
                }
            }
            Pc.ToolPushButton {
                objectName: "copyButton"
                width: 110; height: 80
                text: qsTr("Copy") + core.emptyString
                toolText: qsTr("Copy link of the last screenshot/file") + core.emptyString
                image: "qrc:/icon/image/icon/copy.png"
                toolTip: toolTip
                onClick: {
                    core.copyLastLink()
                    window.hide()
                }
            }
        }
    }

    Column {
        id: loginPanel
        objectName: "loginPanel"
        visible: !page.auth
        y: 70
        x: 20
        width: parent.width - 40
        spacing: 28

        Text {
            objectName: "loginText"
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            text: qsTr("To get started with Pryx you must log") + core.emptyString
            color: settings.getValue("mainFontColor")
            font.family: page.fontFamily
            font.pixelSize: 14
        }
        Pc.LoginPushButton {
            objectName: "loginButton"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 160
            height: 34
            text: qsTr("Enter to pryx") + core.emptyString
            onClick: {
                core.checkAutorization()
                window.close()
            }
        }
    }

    Row {
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 16
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 14
        Pc.Link {
            objectName: "exitLink"
            text: qsTr("Exit") + core.emptyString
            onClick: {
                window.hide()
                core.exitApp()
            }
        }
        Rectangle {
            width: 1
            height: 14
            rotation: 20
            anchors.verticalCenter: parent.verticalCenter
            color: "#9aa3a8"
        }
        Pc.Link {
            objectName: "helpLink"
            text: qsTr("Help") + core.emptyString
            onClick: {
                window.hide()
                core.openHelp()
            }
        }
    }
}

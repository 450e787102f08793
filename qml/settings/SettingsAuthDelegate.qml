import QtQuick 2.12
import "../../Component" as Pc
import "values.js" as St

// Storage tab: where uploads go, with the page of the chosen target.
Item {
    id: root
    // The service account (core.account); null while there is none.
    property var account: null
    // "pryx", "ftp", "dropbox" or "google"
    property string target: "pryx"
    implicitWidth: 540
    implicitHeight: 320
    width: implicitWidth
    height: implicitHeight

    // The stored target the buttons last showed.
    property var base: ({})
    readonly property var targetControl: ({
        key: "type_upload",
        read: function() {
            var t = "" + settings.getValue("type_upload")
            return (t === "ftp" || t === "dropbox" || t === "google") ? t : "pryx"
        },
        get: function() { return root.target },
        set: function(v) { root.target = v }
    })
    Component.onCompleted: St.load(targetControl, base)
    // A target stored meanwhile is shown unless the user chose another.
    Connections {
        target: settings
        function onValueChanged(name, value) { St.follow(root.targetControl, root.base, name) }
    }

    function save() {
        settings.setValue("type_upload", target)
        if (target === "ftp")
            ftpPage.save()
        else if (target === "dropbox")
            dropboxPage.save()
    }

    Row {
        id: targets
        spacing: 8
        ChoiceButton {
            objectName: "targetPryx"
            text: qsTr("Pryx") + core.emptyString
            check: root.target === "pryx"
            onClick: root.target = "pryx"
        }
        ChoiceButton {
            objectName: "targetFtp"
            text: qsTr("FTP\\SFTP") + core.emptyString
            check: root.target === "ftp"
            onClick: root.target = "ftp"
        }
        ChoiceButton {
            objectName: "targetDropbox"
            text: qsTr("Dropbox") + core.emptyString
            check: root.target === "dropbox"
            onClick: root.target = "dropbox"
        }
        ChoiceButton {
            objectName: "targetGoogle"
            visible: false
            text: qsTr("Google disk") + core.emptyString
            check: root.target === "google"
            onClick: root.target = "google"
        }
    }

    Item {
        id: pages
        anchors.top: targets.bottom
        anchors.topMargin: 14
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom

        SettingsAuthPryxPage {
            id: pryxPage
            objectName: "pryxPage"
            anchors.fill: parent
            visible: root.target === "pryx"
            account: root.account
        }
        SettingsAuthFtpPage {
            id: ftpPage
            objectName: "ftpPage"
            anchors.fill: parent
            visible: root.target === "ftp"
        }
        SettingsAuthDropboxPage {
            id: dropboxPage
            objectName: "dropboxPage"
            anchors.fill: parent
            visible: root.target === "dropbox"
            account: root.account
        }
        SettingsAuthGoogleDiskPage {
            id: googlePage
            anchors.fill: parent
            visible: root.target === "google"
        }
    }
}

import QtQuick 2.12
import "../../Component" as Pc
import "values.js" as St
import "../../Component/useful.js" as Fn

// Storage page of the Dropbox target: authorisation, or the account with
// its space and logout.
Item {
    id: root
    property var account: null
    // The Dropbox account object of the service account; null while absent.
    readonly property var dropbox: account && typeof account.dropBoxAuth === "function"
                                   ? account.dropBoxAuth() : null
    readonly property bool authorized: dropbox ? dropbox.isAuth === true : false
    readonly property real total: dropbox ? Number(dropbox.total) || 0 : 0
    readonly property real usage: dropbox ? Number(dropbox.usage) || 0 : 0
    implicitWidth: 540
    implicitHeight: 160
    width: implicitWidth
    height: implicitHeight

    property var base: ({})
    readonly property var fallbackControl: ({
        key: "is_dropbox_error_upload_pryx",
        read: function() { return Fn.flag(settings.getValue("is_dropbox_error_upload_pryx")) },
        get: function() { return errorBox.check },
        set: function(v) { errorBox.check = v }
    })
    Component.onCompleted: St.load(fallbackControl, base)
    Connections {
        target: settings
        function onValueChanged(name, value) { St.follow(root.fallbackControl, root.base, name) }
    }

    function save() {
        settings.setValue("is_dropbox_error_upload_pryx", errorBox.check)
    }

    Pc.Link {
        objectName: "dropboxAuthLink"
        visible: !root.authorized
        text: qsTr("Authorization in dropbox") + core.emptyString
        onClick: if (root.dropbox) root.dropbox.authorization()
    }

    Column {
        objectName: "dropboxAccount"
        visible: root.authorized
        width: parent.width
        spacing: 6
        Text {
            objectName: "dropboxName"
            width: parent.width
            elide: Text.ElideRight
            text: root.dropbox ? St.text(root.dropbox.name) : ""
            color: settings.getValue("mainFontColor")
            font.family: settings.getValue("mainFontFamily")
            font.pixelSize: 15
            font.bold: true
        }
        Text {
            objectName: "dropboxEmail"
            width: parent.width
            elide: Text.ElideRight
            text: root.dropbox ? St.text(root.dropbox.email) : ""
            color: "#7a8085"
            font.family: settings.getValue("mainFontFamily")
            font.pixelSize: 13
        }
        Pc.Link {
            objectName: "dropboxLogout"
            text: qsTr("Logout") + core.emptyString
            onClick: if (root.dropbox) root.dropbox.logout()
        }
        Item { width: 1; height: 6 }
        Text {
            objectName: "dropboxUsage"
            text: qsTr("Usage") + core.emptyString + " "
                  + (root.total > 0 ? Math.round(root.usage * 100 / root.total) : 0) + "%"
            color: settings.getValue("mainFontColor")
            font.family: settings.getValue("mainFontFamily")
            font.pixelSize: 13
        }
        Pc.ProgressBar {
            width: parent.width
            minimum: 0
            maximum: root.total
            value: root.usage
        }
        Item { width: 1; height: 6 }
        Pc.CheckBox {
            id: errorBox
            objectName: "dropboxErrorBox"
            text: qsTr("If process uploaded throw error upload file on pryx") + core.emptyString
        }
    }
}

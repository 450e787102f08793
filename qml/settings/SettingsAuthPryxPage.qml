import QtQuick 2.12
import "../../Component" as Pc
import "../../Component/useful.js" as Fn

// Storage page of the web service: the logged-in user and the quota.
Item {
    id: root
    property var account: null
    readonly property bool loggedIn: account ? account.auth === true : false
    readonly property real usage: Number(settings.usage) || 0
    readonly property real quota: Number(settings.quota) || 0
    implicitWidth: 540
    implicitHeight: 160
    width: implicitWidth
    height: implicitHeight

    Image {
        id: avatar
        objectName: "avatar"
        width: 64
        height: 64
        fillMode: Image.PreserveAspectCrop
        source: "" + settings.userAvatar
    }
    Column {
        anchors.left: avatar.right
        anchors.leftMargin: 15
        anchors.right: parent.right
        spacing: 6
        Text {
            objectName: "userName"
            width: parent.width
            elide: Text.ElideRight
            text: settings.userName ? "" + settings.userName : ""
            color: settings.getValue("mainFontColor")
            font.family: settings.getValue("mainFontFamily")
            font.pixelSize: 15
            font.bold: true
        }
        Text {
            objectName: "userMail"
            width: parent.width
            elide: Text.ElideRight
            text: settings.userMail ? "" + settings.userMail : ""
            color: "#7a8085"
            font.family: settings.getValue("mainFontFamily")
            font.pixelSize: 13
        }
        Pc.Link {
            objectName: "logoutLink"
            text: qsTr("Logout") + core.emptyString
            onClick: if (root.account && typeof root.account.exit === "function") root.account.exit()
        }
    }
    Column {
        objectName: "quotaPanel"
        visible: root.loggedIn
        anchors.top: avatar.bottom
        anchors.topMargin: 18
        width: parent.width
        spacing: 6
        Text {
            objectName: "quotaText"
            text: qsTr("Usage") + core.emptyString + " " + Fn.sizeToString(root.usage) + " ("
                  + (root.quota > 0 ? Math.round(root.usage * 100 / root.quota) : 0) + "%)"
            color: settings.getValue("mainFontColor")
            font.family: settings.getValue("mainFontFamily")
            font.pixelSize: 13
        }
        Pc.ProgressBar {
            width: parent.width
            minimum: 0
            maximum: root.quota
            value: root.usage
        }
    }
}

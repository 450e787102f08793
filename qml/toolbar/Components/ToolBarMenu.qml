import QtQuick 2.12
import "../Component/useful.js" as Fn

// The menu of the other output actions beside the accept button.
Rectangle {
    id: menu
    readonly property bool useMail: typeof settings !== "undefined" && settings !== null
                                    && Fn.flag(settings.isUseMailClient)
    signal chosen(string action)

    width: 280
    height: useMail ? 310 : 280
    radius: 4
    color: "#25282c"
    border.color: "#3a3d42"

    MouseArea { anchors.fill: parent }   // keeps clicks from the area below

    Column {
        anchors.verticalCenter: parent.verticalCenter
        ToolBarMenuItem {
            objectName: "menuPublic"; text: qsTr("Public") + core.emptyString; shortcut: "Ctrl+Enter"
            icon: "qrc:/component/image/toolbar/menu_public.png"
            onClick: menu.chosen("upload")
        }
        ToolBarMenuItem {
            objectName: "menuSave"; text: qsTr("Save") + core.emptyString; shortcut: "Ctrl+S"
            icon: "qrc:/component/image/toolbar/menu_save.png"
            onClick: menu.chosen("save")
        }
        ToolBarMenuItem {
            objectName: "menuCopy"; text: qsTr("Copy") + core.emptyString; shortcut: "Ctrl+C"
            icon: "qrc:/component/image/toolbar/menu_copy.png"
            onClick: menu.chosen("copy")
        }
        Rectangle { width: 280; height: 10; color: "transparent" }
        ToolBarMenuItem {
            objectName: "menuVk"; text: qsTr("Vkontakte") + core.emptyString; shortcut: "Ctrl+Shift+V"
            icon: "qrc:/icon/image/icon/vk.png"
            onClick: menu.chosen("vk")
        }
        ToolBarMenuItem {
            objectName: "menuOdnoklassniki"; text: qsTr("Odnoklassniki") + core.emptyString; shortcut: "Ctrl+Shift+O"
            icon: "qrc:/icon/image/icon/od.png"
            onClick: menu.chosen("odnoklassniki")
        }
        ToolBarMenuItem {
            objectName: "menuFacebook"; text: qsTr("Facebook") + core.emptyString; shortcut: "Ctrl+Shift+F"
            icon: "qrc:/icon/image/icon/fb.png"
            onClick: menu.chosen("facebook")
        }
        ToolBarMenuItem {
            objectName: "menuTwitter"; text: qsTr("Twitter") + core.emptyString; shortcut: "Ctrl+Shift+T"
            icon: "qrc:/icon/image/icon/tw.png"
            onClick: menu.chosen("twitter")
        }
        ToolBarMenuItem {
            objectName: "menuMail"; text: qsTr("E-mail") + core.emptyString; shortcut: "Ctrl+Shift+E"
            icon: "qrc:/component/image/toolbar/menu_mail.png"
            visible: menu.useMail
            onClick: menu.chosen("mail")
        }
    }
}

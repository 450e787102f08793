import QtQuick 2.12
import "../Component" as Pc
import "Settings" as Ps

// The settings window: Storage, Settings and Hot key tabs. Nothing is
// written before Accept.
Pc.Window {
    id: page
    // 0 Storage, 1 Settings, 2 Hot key
    property int currentTab: 0
    // The hotkeys were dropped by "Change" and are not registered again yet.
    property bool hotkeysDropped: false
    property bool accepting: false
    // The hotkey texts as stored when the page opened.
    property string keyFragmentScreen: ""
    property string keySnapshotScreen: ""
    property string keyQuickFragmentScreen: ""

    titleText: "Pryx - " + qsTr("Settings") + core.emptyString
    iconVisible: false
    windowWidth: 580
    windowHeight: currentTab === 1 ? 650
                : currentTab === 2 ? 675
                : storageTab.target === "pryx" ? 370
                : storageTab.target === "ftp" ? 490
                : storageTab.target === "dropbox" ? 360 : 330

    Component.onCompleted: {
        keyFragmentScreen = "" + settings.getValue("keyFragmentScreen")
        keySnapshotScreen = "" + settings.getValue("keySnapshotScreen")
        keyQuickFragmentScreen = "" + settings.getValue("keyQuickFragmentScreen")
        hotKeyTab.load(keyFragmentScreen, keySnapshotScreen, keyQuickFragmentScreen)
    }

    function selectTab(index) {
        currentTab = index
        tabStorage.check = index === 0
        tabSettings.check = index === 1
        tabHotKey.check = index === 2
    }

    function accept() {
        accepting = true
        storageTab.save()
        hotKeyTab.save()
        settingsTab.save()
        core.updateHook()
        hotkeysDropped = false
        accepting = false
    }

    function reset() {
        accepting = true
        settings.resetDefault()
        // The reset hotkeys replace the registered ones at once.
        core.updateHook()
        hotkeysDropped = false
        window.close()
        accepting = false
    }

    // Closing without Accept (Cancel, the close button, Escape) brings back
    // the hotkeys that "Change" dropped.
    Connections {
        target: window
        ignoreUnknownSignals: true
        function onClosed() {
            if (!page.accepting && page.hotkeysDropped) {
                page.hotkeysDropped = false
                core.updateHook()
            }
        }
    }

    Row {
        id: tabs
        x: 20
        y: 38
        spacing: 6
        Pc.SettingToolItem {
            id: tabStorage
            objectName: "tabStorage"
            text: qsTr("Storage") + core.emptyString
            check: true
            iconSource: "qrc:/component/image/component/setting_tool_storage" + (check ? "_check" : "") + ".png"
            onCheckChanged: if (check) page.selectTab(0)
        }
        Pc.SettingToolItem {
            id: tabSettings
            objectName: "tabSettings"
            text: qsTr("Settings") + core.emptyString
            iconSource: "qrc:/component/image/component/setting_tool_setting" + (check ? "_check" : "") + ".png"
            onCheckChanged: if (check) page.selectTab(1)
        }
        Pc.SettingToolItem {
            id: tabHotKey
            objectName: "tabHotKey"
            text: qsTr("Hot key") + core.emptyString
            iconSource: "qrc:/component/image/component/setting_tool_hoot" + (check ? "_check" : "") + ".png"
            onCheckChanged: if (check) page.selectTab(2)
        }
    }

    Rectangle {
        id: versionPlate
        anchors.right: parent.right
        anchors.rightMargin: 20
        y: 48
        width: versionText.implicitWidth + 16
        height: 20
        radius: 3
        color: "#eef0f3"
        border.color: "#d3d9dd"
        Text {
            id: versionText
            objectName: "versionText"
            anchors.centerIn: parent
            text: core.appVersion()
            color: "#7a8085"
            font.family: page.fontFamily
            font.pixelSize: 11
        }
    }

    Rectangle {
        id: separator
        x: 20
        y: tabs.y + tabs.height + 6
        width: parent.width - 40
        height: 1
        color: "#d3d9dd"
    }

    Item {
        id: content
        x: 20
        width: parent.width - 40
        anchors.top: separator.bottom
        anchors.topMargin: 12
        anchors.bottom: buttons.top
        anchors.bottomMargin: 10

        Ps.SettingsAuthDelegate {
            id: storageTab
            objectName: "storageTab"
            anchors.fill: parent
            visible: page.currentTab === 0
            account: core.account
        }
        Ps.SettingsSettingDelegate {
            id: settingsTab
            objectName: "settingsTab"
            anchors.fill: parent
            visible: page.currentTab === 1
        }
        Ps.SettingsHotKeyDelegate {
            id: hotKeyTab
            objectName: "hotKeyTab"
            anchors.fill: parent
            visible: page.currentTab === 2
            onEditingStarted: {
                core.unhookKeyboard()
                page.hotkeysDropped = true
            }
        }
    }

    Row {
        id: buttons
        anchors.right: parent.right
        anchors.rightMargin: 20
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 15
        spacing: 10
        Pc.PushButton {
            objectName: "resetButton"
            text: qsTr("Reset by default") + core.emptyString
            onClick: page.reset()
        }
        Pc.PushButtonBlue {
            objectName: "acceptButton"
            text: qsTr("Accept") + core.emptyString
            onClick: page.accept()
        }
        Pc.PushButton {
            objectName: "cancelButton"
            text: qsTr("Cancel") + core.emptyString
            onClick: window.close()
        }
    }
}

import QtQuick 2.12
import "qrc:/qml/qml/Component" as Pc

// Every component once, for a look at the artwork.
Pc.Window {
    titleText: "Pryx - Components"
    windowWidth: 420
    windowHeight: 330
    Column {
        x: 20; y: 45; spacing: 12
        Row {
            spacing: 16
            Pc.CheckBox { text: "Check box"; check: true }
            Pc.CheckBox { text: "Off" }
            Pc.RadioButton { text: "Radio"; check: true }
            Pc.RadioButton { text: "Off" }
        }
        Row {
            spacing: 10
            Pc.PushButtonBlue { text: "Accept" }
            Pc.PushButtonDark { text: "Cancel" }
            Pc.PushButton { text: "Reset by default" }
        }
        Row {
            spacing: 16
            Pc.Link { text: "Change" }
            Pc.ControllButton { type: "turn" }
            Pc.ControllButton { type: "close" }
            Image { source: "qrc:/component/image/component/download.gif" }
        }
        Pc.PTextInput { width: 250; label: "Host" }
        Pc.PTextInput { width: 250; text: "proxy.example"; }
        Pc.ProgressBar { width: 250; value: 40 }
        Row {
            spacing: 6
            Pc.ToolPushButton { text: "Fragment"; image: "qrc:/icon/image/icon/fragment.png"; width: 70 }
            Pc.ToolPushButton { text: "Full screen"; image: "qrc:/icon/image/icon/screen.png"; width: 70 }
            Pc.ToolPushButton { text: "History"; image: "qrc:/icon/image/icon/history.png"; width: 70 }
            Pc.ToolPushButton { text: "Settings"; image: "qrc:/icon/image/icon/setting.png"; width: 70 }
            Pc.SettingToolItem { text: "Storage"; check: true; iconSource: "qrc:/component/image/component/setting_tool_storage_check.png"; width: 80 }
        }
    }
    Pc.ToolTip { x: 250; y: 200; visible: true; text: "Capture fragment screen"; calcPos: false }
}

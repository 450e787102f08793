import QtQuick 2.12
import "../Component" as Pc

// One error text on a rounded panel.
Pc.Window {
    id: page
    titleText: "Pryx - " + qsTr("Error") + core.emptyString
    windowWidth: 250
    windowHeight: Math.max(230, errorLabel.height + 80)

    Rectangle {
        id: panel
        x: 12
        y: 40
        width: page.windowWidth - 24
        height: page.windowHeight - 52
        radius: 6
        color: "#1225282c"
        border.color: "#1c25282c"

        // Selectable, so an address in the text can be copied; long words
        // break where they must.
        TextEdit {
            id: errorLabel
            objectName: "errorLabel"
            anchors.centerIn: parent
            width: parent.width - 24
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.Wrap
            horizontalAlignment: Text.AlignHCenter
            text: errorText
            color: settings.getValue("mainFontColor")
            font.family: settings.getValue("mainFontFamily")
            font.pixelSize: 15
        }
    }
}

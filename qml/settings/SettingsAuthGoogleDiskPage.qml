import QtQuick 2.12

// Storage page of the Google disk target.
Item {
    implicitWidth: 540
    implicitHeight: 100
    width: implicitWidth
    height: implicitHeight
    Text {
        text: qsTr("Goods disk settings") + core.emptyString
        color: settings.getValue("mainFontColor")
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 14
        font.bold: true
    }
}

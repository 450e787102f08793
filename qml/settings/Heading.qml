import QtQuick 2.12

// A section heading of the settings pages.
Text {
    color: settings.getValue("mainFontColor")
    font.family: settings.getValue("mainFontFamily")
    font.pixelSize: 14
    font.bold: true
}

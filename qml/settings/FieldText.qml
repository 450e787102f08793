import QtQuick 2.12

// A label above a field.
Text {
    color: settings.getValue("mainFontColor")
    font.family: settings.getValue("mainFontFamily")
    font.pixelSize: 13
}

import QtQuick 2.12

// The label in front of a field of the settings pages.
Text {
    width: 110
    color: settings.getValue("mainFontColor")
    font.family: settings.getValue("mainFontFamily")
    font.pixelSize: 13
    horizontalAlignment: Text.AlignRight
    elide: Text.ElideRight
}

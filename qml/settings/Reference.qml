import QtQuick 2.12

// One fixed reference line of the Hot key tab.
Text {
    x: 10
    color: "#555a5e"
    font.family: settings.getValue("mainFontFamily")
    font.pixelSize: 12
}

import QtQuick 2.12
import "../Component" as Pc

// Frame of this window; its controls come with the page itself.
Pc.Window {
    titleText: "Pryx"
    windowWidth: 410
    windowHeight: 385
}

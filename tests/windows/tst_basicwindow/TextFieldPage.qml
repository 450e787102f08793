import QtQuick 2.12
import "qrc:/qml/qml/Component" as Pc

Pc.Window {
    titleText: "Pryx"
    windowWidth: 400
    windowHeight: 300
    TextInput {
        objectName: "field"
        x: 20; y: 50; width: 200; height: 24
        Keys.onEscapePressed: event.accepted = true
    }
}

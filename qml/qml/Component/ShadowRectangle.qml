import QtQuick 2.12

// A soft shadow drawn from an image around the area it is given.
Item {
    BorderImage {
        anchors.fill: parent
        anchors.margins: -30
        source: "qrc:/component/image/component/shadow.png"
        border { left: 40; top: 40; right: 40; bottom: 40 }
    }
}

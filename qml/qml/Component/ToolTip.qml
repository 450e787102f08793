import QtQuick 2.12

// A bubble beside the item under the mouse, with the arrow on the side that
// fits in the window.
Item {
    id: root
    property string text: ""
    property string subText: ""
    property font font: Qt.font({ family: settings.getValue("mainFontFamily"), pixelSize: 12 })
    property Item target: null
    property bool toolLeft: true
    property bool toolTop: false
    property int maxWidth: 170
    property int minWidth: 0
    property bool calcPos: true
    property bool centerItem: false
    property int xCorrect: 0
    property int yCorrect: 0
    property int mouseX: 0
    property int mouseY: 0
    property Item mouseItem: null
    signal click()

    visible: false
    z: 10000
    width: Math.max(minWidth, Math.min(maxWidth, Math.max(mainText.implicitWidth, sub.implicitWidth) + 20))
    height: column.height + 22

    function updatePos() {
        if (!calcPos || !mouseItem)
            return
        var p = window.mapToScene(mouseItem)
        if (centerItem) {
            toolLeft = true
            x = p.x - 5 + xCorrect
            y = p.y - height + 10 + yCorrect
            return
        }
        var nx = p.x + mouseX - 32
        var ny = p.y + mouseY - height - 1
        if (nx + width > window.width) {
            toolLeft = false
            nx = p.x + mouseX - (width - 35)
            ny = p.y + mouseY - height - 5
        } else {
            toolLeft = true
        }
        x = nx + xCorrect
        y = ny + yCorrect
    }
    onVisibleChanged: if (visible) updatePos()

    BorderImage {
        anchors.fill: parent
        source: "qrc:/component/image/component/toolTip_background_" + (root.toolLeft ? "left" : "right")
                + (root.toolTop ? "_top" : "_bottom") + ".png"
        border { left: 12; top: root.toolTop ? 14 : 8; right: 12; bottom: root.toolTop ? 8 : 14 }
    }
    Column {
        id: column
        x: 10
        y: root.toolTop ? 14 : 8
        width: root.width - 20
        spacing: 2
        Text {
            id: mainText
            width: parent.width
            wrapMode: Text.WordWrap
            text: root.text
            font: root.font
            color: "#ffffff"
        }
        Text {
            id: sub
            width: parent.width
            visible: root.subText !== ""
            wrapMode: Text.WordWrap
            text: root.subText
            font.family: root.font.family
            font.pixelSize: root.font.pixelSize - 1
            color: "#c9d3da"
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: root.click()
    }
}

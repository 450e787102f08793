import QtQuick 2.12
import QtQuick.Controls 2.12
import PryxComponent 1.0

// The window-scrolling panorama page: the selector highlights the window
// under the pointer; the finished panorama opens over the selection in an
// annotation area.
Item {
    id: root
    objectName: "SurfacePonoramRoot"

    property int lastX: 0
    property int lastY: 0

    SurfaceSelector {
        id: selector
        objectName: "SurfaceSelector"
        anchors.fill: parent
        z: 2
        onSelectComplete: surface.startPonoram()
        onRubberRectChanged: ponoramPaintArea.selectRect = selector.rubberRect
        onGxChanged: root.pointerMoved()
        onGyChanged: root.pointerMoved()
    }

    function pointerMoved() {
        if (selector.isPress) {
            surface.cleadFindScrollRect()
        } else {
            lastX = selector.gx
            lastY = selector.gy
            surface.findScrollRect(lastX, lastY)
        }
    }

    Item {
        id: editItem
        objectName: "editItem"
        z: 10000
        clip: true
        visible: false
        x: selector.rubberRect.x
        y: selector.rubberRect.y
        width: selector.rubberRect.width
        height: selector.rubberRect.height

        Flickable {
            id: flick
            anchors.fill: parent
            interactive: false
            contentWidth: image.width
            contentHeight: image.height
            Image {
                id: image
                objectName: "panoramaImage"
                cache: false
                smooth: false
                width: editItem.width
                PPainterArea {
                    id: ponoramPaintArea
                    objectName: "ponoramPaintArea"
                    anchors.fill: parent
                    Component.onCompleted: surface.setPaintArea(ponoramPaintArea)
                }
            }
            function clampY(y) { return Math.max(0, Math.min(y, contentHeight - height)) }
        }
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.NoButton
            onWheel: flick.contentY = flick.clampY(flick.contentY - wheel.angleDelta.y)
        }
        ScrollBar {
            objectName: "verticalScrollBar"
            width: 12
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.topMargin: 10
            anchors.rightMargin: 5
            anchors.bottomMargin: 10
            orientation: Qt.Vertical
            policy: ScrollBar.AlwaysOn
            visible: image.height > editItem.height
            size: image.height > 0 ? editItem.height / image.height : 1
            position: image.height > 0 ? flick.contentY / image.height : 0
            onPositionChanged: if (pressed) flick.contentY = flick.clampY(position * image.height)
        }
    }

    Connections {
        target: surface
        function onPonoramPixmapComplete() {
            image.source = ""
            image.source = "image://screen/data"
            ponoramPaintArea.forceActiveFocus()
            if (settings && core && core.getColorFromX)
                ponoramPaintArea.currentColor = core.getColorFromX(Number(settings.getValue("colorColorLine")))
            editItem.visible = true
        }
    }
}

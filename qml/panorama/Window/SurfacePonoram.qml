import QtQuick 2.12
import QtQuick.Controls 2.12 as QQC
import PryxComponent 1.0
import "../Components"

// The window-scrolling panorama page: the selector highlights the window
// under the pointer; the finished panorama opens over the selection in an
// annotation area.
Item {
    id: root
    objectName: "SurfacePonoramRoot"

    property int lastX: 0
    property int lastY: 0

    // The frozen desktop under the shading.
    Image {
        objectName: "screenImage"
        anchors.fill: parent
        cache: false
        smooth: false
        source: "image://screen/background"
    }

    SurfaceSelector {
        id: selector
        objectName: "SurfaceSelector"
        anchors.fill: parent
        z: 2
        onSelectComplete: surface.startPonoram()
        onRubberRectChanged: {
            root.placeToolBar()
            paintArea.selectRect = selector.rubberRect
        }
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
                    id: paintArea
                    objectName: "ponoramPaintArea"
                    anchors.fill: parent
                    Component.onCompleted: surface.setPaintArea(paintArea)
                }
            }
            function clampY(y) { return Math.max(0, Math.min(y, contentHeight - height)) }
        }
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.NoButton
            onWheel: flick.contentY = flick.clampY(flick.contentY - wheel.angleDelta.y)
        }
        QQC.ScrollBar {
            objectName: "verticalScrollBar"
            width: 12
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.topMargin: 10
            anchors.rightMargin: 5
            anchors.bottomMargin: 10
            orientation: Qt.Vertical
            policy: QQC.ScrollBar.AlwaysOn
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
            paintArea.forceActiveFocus()
            if (settings && core && core.getColorFromX)
                paintArea.currentColor = core.getColorFromX(Number(settings.getValue("colorColorLine")))
            editItem.visible = true
            if (settings)
                toolBar.setColorLineX(Number(settings.getValue("colorColorLine")))
            toolBar.visible = true
            root.placeToolBar()
        }
    }

    ToolBar {
        id: toolBar
        objectName: "toolBar"
        z: 20000
        height: 200
        enableMove: true
        visible: false
        onToolClick: paintArea.currentModule = check ? name : ""
        onClickAccept: surface.uploadScreen()
        onChangeColorLineX: {
            paintArea.currentColor = core.getColorFromX(arg)
            paintArea.currentColorX = arg
        }
        onChangeColorLineXEnd: {
            paintArea.currentColor = core.getColorFromX(value)
            paintArea.currentColorX = value
            settings.setValue("colorColorLine", value)
            paintArea.pushColorChange(value, oldValue)
        }
        onChangeWidthLineValue: paintArea.currentLineWidth = value
        onChangeWidthLineValueEnd: {
            paintArea.currentLineWidth = value
            paintArea.pushLineWidthChange(value, oldValue)
        }
    }

    // Below the selection's right edge; beside, above or in the screen's
    // corner when it would reach the screen's bottom.
    function placeToolBar() {
        if (toolBar.moved)
            return
        var r = selector.rubberRect
        var x = Math.max(10, Math.min(r.x + r.width - toolBar.width, root.width - 30 - toolBar.width))
        var y = r.y + r.height + 11
        var s = surface.toolbarScreen(r.x, r.y, r.width, r.height)
        if (s.height > 0 && y + toolBar.height > s.y + s.height - 30) {
            if (s.x + s.width - (r.x + r.width) > toolBar.width + 10) {
                x = r.x + r.width + 10
                y = r.y + r.height - toolBar.height
            } else if (r.x - s.x > toolBar.width + 10) {
                x = r.x - toolBar.width - 10
                y = r.y + r.height - toolBar.height
            } else if (r.y - s.y > toolBar.height + 3) {
                y = r.y - toolBar.height - 3
            } else {
                x = s.x + s.width - toolBar.width - 10
                y = s.y + s.height - toolBar.height - 10
            }
        }
        toolBar.x = x
        toolBar.y = y
    }
}

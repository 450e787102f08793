import QtQuick 2.12
import PryxComponent 1.0
import "../Components"

// The capture page: frozen desktop, annotation area, selector with the size
// label and the magnifier, toolbar and the close confirmation. Keys are the
// surface's (C++): this page handles none itself.
Item {
    id: root
    objectName: "SurfaceWindowRoot"

    property int backgroundSerial: 0
    property bool toolBarMoved: false

    Image {
        id: screenImage
        objectName: "screenImage"
        anchors.fill: parent
        cache: false
        smooth: false
        source: "image://pryxsurface/background/" + root.backgroundSerial
        Connections {
            target: surface
            function onBackgroundChanged() { root.backgroundSerial++ }
        }
    }

    // The annotation area under the selector.
    PPainterArea {
        id: paintArea
        objectName: "PPainterArea"
        anchors.fill: parent
        z: 1
        visible: currentModule !== "Ponoram"
        selectRect: selector.rubberRect
        function moduleOrSizeChanged() {
            if (currentModule !== "Ponoram") {
                surface.cancelPonoram()
                surface.setEnableMask(false)
                selector.maxSelectWidth = -1
                selector.maxSelectHeight = -1
            } else {
                selector.maxSelectWidth = width - ponoramPreview.width - 10
                selector.maxSelectHeight = height - toolBar.height - 10
            }
        }
        onCurrentModuleChanged: moduleOrSizeChanged()
        onWidthChanged: moduleOrSizeChanged()
        onHeightChanged: moduleOrSizeChanged()
    }

    SurfaceSelector {
        id: selector
        objectName: "SurfaceSelector"
        anchors.fill: parent
        z: 2
        visible: !surface.isPonoramWork
        onHeightChanged: {
            selector.checkProperties()
            surface.checkProperties()
        }
        onRubberRectChanged: {
            root.placeToolBar()
            paintArea.selectRect = selector.rubberRect
        }
        onGxChanged: magnifierItem.update()
        onGyChanged: magnifierItem.update()

        // Size of the selection.
        Rectangle {
            id: sizeLabel
            objectName: "sizeLabel"
            readonly property int selWidth: selector.rubberRectRight - selector.rubberRectLeft
            readonly property int selHeight: selector.rubberRectBottom - selector.rubberRectTop
            readonly property bool movedLeft: selector.rubberRectRight + 10 + sizeText.width > root.width
            visible: (selWidth > 0 || selHeight > 0) && selector.isPress
            color: movedLeft ? "black" : "transparent"
            radius: 2
            width: sizeText.width + 20
            height: sizeText.height + 10
            x: movedLeft ? selector.rubberRectRight - sizeText.width - 20 - 10
                         : selector.rubberRectRight + 10 - 10
            y: {
                if (movedLeft && magnifier.innerPlace && settings.showMagnifier == true)
                    return magnifier.y - 20 - 5
                if (toolBar.visible && selector.rubberRectBottom - 20 > toolBar.y
                        && selector.rubberRectBottom - 20 < toolBar.y + toolBar.height)
                    return toolBar.y - 20 - 5
                return selector.rubberRectBottom - 20 - 5
            }
            Text {
                id: sizeText
                objectName: "sizeText"
                x: 10
                y: 5
                font.family: "Arial"
                font.pixelSize: 12
                color: "white"
                text: sizeLabel.selWidth + "x" + sizeLabel.selHeight
            }
        }

        // Magnifying glass beside the cursor or the selection.
        Image {
            id: magnifier
            objectName: "magnifier"
            source: "qrc:/component/image/component/magnifier_background.png"
            visible: selector.firstDraw && settings.showMagnifier == true
            readonly property int baseX: (selector.rubberRectRight === 0 || selector.rubberRectBottom === 0)
                                         ? selector.gx : selector.rubberRectRight
            readonly property int baseY: (selector.rubberRectRight === 0 || selector.rubberRectBottom === 0)
                                         ? selector.gy : selector.rubberRectBottom
            // Beside the cursor or the selection, on the monitor under the cursor.
            readonly property point place: surface.magnifierPosition(baseX, baseY, width, height,
                                                                     selector.gx, selector.gy)
            readonly property bool innerPlace: place.x < baseX || place.y < baseY
            x: place.x
            y: place.y

            MagnifierItem {
                id: magnifierItem
                objectName: "MagnifierItem"
                x: 5
                y: 6
                width: 70
                height: 70
                background: surface.background
                gx: selector.gx
                gy: selector.gy
            }
        }
    }

    // The panorama tool: the hint before the start; while it runs the
    // preview, the size bar and the frame around the selection (the
    // selection itself is cut out of the window); the finished panorama in
    // its own annotation area over the selection.
    readonly property bool ponoramTool: paintArea.currentModule === "Ponoram"
    readonly property bool hasSelection: selector.rubberRectRight - selector.rubberRectLeft > 0
                                         && selector.rubberRectBottom - selector.rubberRectTop > 0
    readonly property int selLeft: selector.rubberRectLeft
    readonly property int selTop: selector.rubberRectTop
    readonly property int selWidth: selector.rubberRectRight - selector.rubberRectLeft
    readonly property int selHeight: selector.rubberRectBottom - selector.rubberRectTop

    Image {
        id: ponoramHint
        objectName: "ponoramHint"
        z: 3
        source: "qrc:/image/image/image/scroll_dialog_background.png"
        visible: root.ponoramTool && root.hasSelection && !surface.isPonoramWork && !ponoramView.visible
        x: root.selLeft + (root.selWidth - width) / 2
        y: root.selTop + (root.selHeight - height) / 2
        Text {
            anchors.fill: parent
            anchors.margins: 10
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            wrapMode: Text.WordWrap
            font.family: "Georgia"
            font.italic: true
            font.pixelSize: 17
            color: "white"
            text: qsTr("Press \"Play\" and use wheel or application scroll and drop his down")
        }
    }

    Item {
        id: ponoramWork
        objectName: "ponoramWork"
        anchors.fill: parent
        z: 3
        visible: surface.isPonoramWork
        readonly property color lineColor: "#80000000"
        readonly property color guideColor: "#80ffffff"

        // Frame 5 px around the selection and guide lines to the edges.
        Rectangle {
            objectName: "ponoramFrame"
            x: root.selLeft - 5
            y: root.selTop - 5
            width: root.selWidth + 10
            height: root.selHeight + 10
            color: "transparent"
            border.width: 5
            border.color: ponoramWork.lineColor
        }
        Rectangle { x: 0; y: root.selTop - 5; width: root.selLeft - 5; height: 1; color: ponoramWork.guideColor }
        Rectangle { x: root.selLeft + root.selWidth + 5; y: root.selTop - 5; width: root.width - x; height: 1; color: ponoramWork.guideColor }
        Rectangle { x: 0; y: root.selTop + root.selHeight + 4; width: root.selLeft - 5; height: 1; color: ponoramWork.guideColor }
        Rectangle { x: root.selLeft + root.selWidth + 5; y: root.selTop + root.selHeight + 4; width: root.width - x; height: 1; color: ponoramWork.guideColor }
        Rectangle { x: root.selLeft - 5; y: 0; width: 1; height: root.selTop - 5; color: ponoramWork.guideColor }
        Rectangle { x: root.selLeft - 5; y: root.selTop + root.selHeight + 5; width: 1; height: root.height - y; color: ponoramWork.guideColor }
        Rectangle { x: root.selLeft + root.selWidth + 4; y: 0; width: 1; height: root.selTop - 5; color: ponoramWork.guideColor }
        Rectangle { x: root.selLeft + root.selWidth + 4; y: root.selTop + root.selHeight + 5; width: 1; height: root.height - y; color: ponoramWork.guideColor }

        // Size of the panorama so far; red with the arrow turned on a
        // gluing failure.
        Item {
            id: ponoramBar
            objectName: "ponoramBar"
            x: ponoramPreview.fitsRight ? ponoramPreview.x + ponoramPreview.width + 10
                                        : Math.max(0, ponoramPreview.x - width - 10)
            y: ponoramPreview.y
            width: 96
            height: 48 + 20
            Text {
                id: ponoramSizeText
                objectName: "ponoramSizeText"
                anchors.horizontalCenter: parent.horizontalCenter
                font.family: "Arial"
                font.pixelSize: 12
                color: "white"
                style: Text.Outline
                styleColor: "black"
                text: surface.ponoramSize.width >= 0
                      ? surface.ponoramSize.width + "x" + surface.ponoramSize.height
                      : root.selWidth + "x" + root.selHeight
            }
            Rectangle {
                objectName: "ponoramBarBackground"
                y: 20
                width: 96
                height: 48
                radius: 3
                color: surface.isPonoramError ? "red" : "#4ba3cc"
                opacity: 0.58
            }
            Image {
                objectName: "ponoramArrow"
                x: (96 - width) / 2
                y: 20 + (48 - height) / 2
                source: "qrc:/image/image/image/ponoram_arrow.png"
                rotation: surface.isPonoramError ? 180 : 0
            }
        }
    }

    // The growing panorama beside the selection (the engine feeds it).
    PonoramPreview {
        id: ponoramPreview
        objectName: "ponoramPreview"
        z: 3
        width: 114
        height: 252
        visible: surface.isPonoramWork
        readonly property bool fitsRight: root.selLeft + root.selWidth + 15 + width + 106 <= root.width
        x: fitsRight ? root.selLeft + root.selWidth + 15 : Math.max(0, root.selLeft - width - 15)
        y: Math.max(0, Math.min(root.selTop, root.height - height - 80))
    }

    // The finished panorama, scrollable, with its own annotation area.
    Item {
        id: ponoramView
        objectName: "ponoramView"
        z: 10000
        clip: true
        visible: false
        x: root.selLeft
        y: root.selTop
        width: root.selWidth
        height: root.selHeight

        Flickable {
            id: ponoramFlick
            objectName: "ponoramFlick"
            anchors.fill: parent
            interactive: false
            contentWidth: ponoramImage.width
            contentHeight: ponoramImage.height
            function clampY(y) { return Math.max(0, Math.min(y, contentHeight - height)) }
            Image {
                id: ponoramImage
                objectName: "ponoramImage"
                cache: false
                smooth: false
                width: sourceSize.width
                height: sourceSize.height
                PPainterArea {
                    id: ponoramPaintArea
                    objectName: "ponoramPaintArea"
                    anchors.fill: parent
                }
            }
        }
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.NoButton
            onWheel: ponoramFlick.contentY = ponoramFlick.clampY(ponoramFlick.contentY - wheel.angleDelta.y)
        }
        ScrollBar {
            objectName: "ponoramScrollBar"
            orientation: Qt.Vertical
            width: 12
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.margins: 10
            visible: ponoramImage.height > ponoramView.height
            position: ponoramImage.height > 0 ? ponoramFlick.contentY / ponoramImage.height : 0
            pageSize: ponoramImage.height > 0 ? ponoramView.height / ponoramImage.height : 1
            onDragScroll: {
                var k = ponoramImage.height / Math.max(1, height)
                ponoramFlick.contentY = ponoramFlick.clampY(ponoramFlick.contentY + diff * k)
            }
        }
        Connections {
            target: surface
            function onPonoramPixmapComplete() {
                ponoramImage.source = surface.requestBackground()
                ponoramFlick.contentY = 0
                ponoramView.visible = true
                surface.setPaintArea(ponoramPaintArea)
                if (core && typeof core.getColorFromX === "function")
                    ponoramPaintArea.currentColor = core.getColorFromX(Number(settings.getValue("colorColorLine")))
                ponoramPaintArea.forceActiveFocus()
            }
        }
    }

    // What the toolbar reads from the page.
    readonly property var shownArea: ponoramView.visible ? ponoramPaintArea : paintArea
    property string currentGraphModule: shownArea.currentModule !== undefined ? shownArea.currentModule : ""
    property var currentItem: shownArea.currentItem !== undefined ? shownArea.currentItem : null
    property bool currentSubstrate: false
    onCurrentSubstrateChanged: if (paintArea.currentSubstrate !== undefined) paintArea.currentSubstrate = currentSubstrate

    function setAreas(name, value) {
        if (paintArea[name] !== undefined)
            paintArea[name] = value
        if (typeof ponoramPaintArea !== "undefined" && ponoramPaintArea && ponoramPaintArea[name] !== undefined)
            ponoramPaintArea[name] = value
    }

    ToolBar {
        id: toolBar
        objectName: "toolBar"
        z: 20000
        enableMove: true
        visible: selector.showToolBar
        onMovedChanged: root.toolBarMoved = moved
        // Placed by the height it draws: the colour panel may open later.
        onHeightChanged: root.placeToolBar()
        onToolClick: {
            // Stopped before the tool changes: the change alone cancels.
            if (name === "Ponoram" && !check)
                surface.stopPonoram()
            root.setAreas("currentModule", check ? name : "")
            if (name === "Ponoram" && check)
                surface.startPonoram()
        }
        onClickAccept: surface.uploadScreen()
        onChangeColorLineX: {
            root.setAreas("currentColor", core.getColorFromX(arg))
            root.setAreas("currentColorX", arg)
        }
        onChangeColorLineXEnd: {
            root.setAreas("currentColor", core.getColorFromX(value))
            root.setAreas("currentColorX", value)
            settings.setValue("colorColorLine", value)
            if (root.shownArea.pushColorChange)
                root.shownArea.pushColorChange(value, oldValue)
        }
        onChangeWidthLineValue: root.setAreas("currentLineWidth", value)
        onChangeWidthLineValueEnd: {
            if (root.shownArea.pushLineWidthChange)
                root.shownArea.pushLineWidthChange(value, oldValue)
        }
        Connections {
            target: surface
            function onHideToolBar() {
                toolBar.visible = false
                toolBar.hideMenu()
            }
        }
        Component.onCompleted: {
            var x = settings.colorColorLine
            if (typeof core.getColorFromX === "function")
                root.setAreas("currentColor", core.getColorFromX(x))
            root.setAreas("currentColorX", x)
            setColorLineX(x)
        }
    }

    function placeToolBar() {
        if (toolBarMoved) {
            var q = surface.keepInsideScreen(toolBar.x, toolBar.y, toolBar.width, toolBar.height)
            toolBar.x = q.x
            toolBar.y = q.y
            return
        }
        var p = surface.toolbarPosition(selector.rubberRectLeft, selector.rubberRectTop,
                                        selector.rubberRectRight, selector.rubberRectBottom,
                                        toolBar.width, toolBar.height)
        toolBar.x = p.x
        toolBar.y = p.y
    }

    // Close confirmation.
    BorderImage {
        id: closeWindow
        objectName: "closeWindow"
        width: 440
        height: 250
        z: 50000
        opacity: 0.9
        source: "qrc:/component/image/component/close_window_background.png"
        border { left: 30; top: 30; right: 30; bottom: 30 }
        visible: surface.visibleCloseWindow
        onVisibleChanged: {
            // In the middle of the monitor the user works on.
            if (visible) {
                var m = surface.cursorScreen()
                x = m.x + m.width / 2 - 220
                y = m.y + m.height / 2 - 125
            }
        }
        // Keeps clicks on the dialog from reaching the selector.
        MouseArea { anchors.fill: parent }

        Text {
            id: closeText
            anchors.horizontalCenter: parent.horizontalCenter
            y: 40
            width: parent.width - 60
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            font.family: "Georgia"
            font.italic: true
            font.pixelSize: 17
            color: "white"
            text: qsTr("Cancel screen capture? All changes whill be lost!")
        }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            y: 130
            spacing: 20
            Rectangle {
                objectName: "closeYes"
                width: 120; height: 36; radius: 4
                color: yesArea.containsMouse ? "#4ba3cc" : "#3a8db5"
                Text { anchors.centerIn: parent; color: "white"; font.family: "Arial"; font.pixelSize: 14; text: qsTr("Yes") }
                MouseArea { id: yesArea; anchors.fill: parent; hoverEnabled: true; onClicked: surface.close() }
            }
            Rectangle {
                objectName: "closeNo"
                width: 120; height: 36; radius: 4
                color: noArea.containsMouse ? "#5a5d61" : "#45484c"
                Text { anchors.centerIn: parent; color: "white"; font.family: "Arial"; font.pixelSize: 14; text: qsTr("No") }
                MouseArea { id: noArea; anchors.fill: parent; hoverEnabled: true; onClicked: surface.visibleCloseWindow = false }
            }
        }
        Item {
            id: doNotShow
            objectName: "doNotShow"
            property bool checked: false
            anchors.horizontalCenter: parent.horizontalCenter
            y: 195
            width: doNotShowRow.width
            height: doNotShowRow.height
            Row {
                id: doNotShowRow
                spacing: 8
                Rectangle {
                    width: 16; height: 16; radius: 2
                    color: "transparent"; border.color: "white"
                    Rectangle { anchors.centerIn: parent; width: 8; height: 8; color: "white"; visible: doNotShow.checked }
                }
                Text { color: "white"; font.family: "Arial"; font.pixelSize: 13; text: qsTr("Do not show this window") }
            }
            MouseArea {
                anchors.fill: parent
                onClicked: {
                    doNotShow.checked = !doNotShow.checked
                    settings.setValue("showCloseSurfaceWindow", !doNotShow.checked)
                }
            }
        }
    }

    Component.onCompleted: {
        paintArea.forceActiveFocus()
        if (core && typeof core.getColorFromX === "function")
            paintArea.currentColor = core.getColorFromX(Number(settings.getValue("colorColorLine")))
    }
}

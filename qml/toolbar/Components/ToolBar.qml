import QtQuick 2.12
import PryxComponent 1.0
import "../Component/useful.js" as Fn

// Annotation toolbar over a capture. It reads `paintArea`, `currentGraphModule`,
// `currentItem` and `currentSubstrate` from the page and answers with signals
// that the page turns into writes of the area; only undo and redo call the
// area directly.
Item {
    id: toolBar

    property bool shortTool: false
    property bool enableMove: false
    property bool showDropPanel: Fn.flag(toolBar.setting("visibleColorPanel"))
    property bool showMenu: false
    property bool press: false
    property bool moved: false
    property bool selectItem: false
    property string selectedButton: ""
    property int colorLineX: 7

    signal toolClick(string name, bool check)
    signal checkMenu(bool arg)
    signal clickAccept()
    signal changeColorLineX(int arg)
    signal changeColorLineXEnd(int value, int oldValue)
    signal changeColorLine(variant value)
    signal changeColorLineEnd(variant value, int oldValue)
    signal changeWidthLineValue(int value)
    signal changeWidthLineValueEnd(int value, int oldValue)

    width: 790
    height: showDropPanel ? 195 : 85

    // What the page provides in its scope; absent names read as empty.
    readonly property var area: typeof paintArea !== "undefined" ? paintArea : null
    readonly property var pageSurface: typeof surface !== "undefined" ? surface : null
    readonly property string moduleName: typeof currentGraphModule !== "undefined" && currentGraphModule
                                         ? String(currentGraphModule) : ""
    readonly property string itemName: {
        if (typeof currentItem === "undefined" || !currentItem)
            return ""
        return typeof currentItem.name === "function" ? String(currentItem.name()) : ""
    }
    readonly property bool ponoramWork: pageSurface !== null && pageSurface.isPonoramWork === true
    readonly property bool commandModified: pageSurface !== null && pageSurface.isCommandModified === true
    readonly property bool mac: typeof core !== "undefined" && core !== null && typeof core.is_mac === "function"
                                && core.is_mac()

    function setting(key) {
        if (typeof settings === "undefined" || settings === null)
            return undefined
        return settings.getValue(key)
    }

    function toolButtonTriggered(name, check) {
        selectedButton = check ? name : ""
        toolClick(name, check)
    }
    function setCurrentModule(name) { toolButtonTriggered(name, true) }
    function hideMenu() { showMenu = false }
    function setColorLineX(value) { colorLineX = value }
    function keyText(text) { return mac ? text.replace(/Shift/g, "\u21e7").replace(/Ctrl/g, "\u2318") : text }

    // The colour marker's position for a click at `x` on the strip.
    function colorPositionAt(x) { return Math.max(-2, Math.min(326, Math.round(x) - 5)) }
    function clickColorLine(x) {
        var old = colorLineX
        colorLineX = colorPositionAt(x)
        changeColorLineX(colorLineX)
        changeColorLineXEnd(colorLineX, old)
    }

    Connections {
        target: toolBar.area
        ignoreUnknownSignals: true
        function onCurrentModuleChanged() { toolBar.selectedButton = toolBar.area.currentModule }
        function onCurrentLineWidthChanged() { widthSlider.follow(toolBar.area.currentLineWidth) }
    }
    Connections {
        target: toolBar.pageSurface
        ignoreUnknownSignals: true
        function onIsPonoramWorkChanged(enable) {
            if (!enable && toolBar.selectedButton === "Ponoram")
                toolBar.selectedButton = ""
        }
        function onHideToolBar() { toolBar.hideMenu() }
    }

    Rectangle {
        id: background
        objectName: "toolBarBackground"
        width: toolBar.width
        height: toolBar.showDropPanel ? 195 : 85
        radius: 6
        color: "#25282c"
        border.color: "#3a3d42"
    }

    // Grip: drags the bar within its parent.
    Item {
        id: grip
        objectName: "grip"
        x: 0
        width: 22
        height: 85
        Column {
            anchors.centerIn: parent
            spacing: 3
            Repeater {
                model: 6
                Rectangle { width: 6; height: 2; color: "#6a6e73" }
            }
        }
        MouseArea {
            anchors.fill: parent
            enabled: toolBar.enableMove
            cursorShape: toolBar.enableMove ? Qt.SizeAllCursor : Qt.ArrowCursor
            property point last
            onPressed: {
                toolBar.press = true
                last = mapToItem(toolBar.parent, mouse.x, mouse.y)
            }
            onReleased: toolBar.press = false
            onPositionChanged: {
                if (!pressed || !toolBar.parent)
                    return
                var p = mapToItem(toolBar.parent, mouse.x, mouse.y)
                var nx = Math.max(0, Math.min(toolBar.parent.width - toolBar.width, toolBar.x + p.x - last.x))
                var ny = Math.max(0, Math.min(toolBar.parent.height - toolBar.height, toolBar.y + p.y - last.y))
                last = Qt.point(p.x - (toolBar.x + p.x - last.x - nx), p.y - (toolBar.y + p.y - last.y - ny))
                toolBar.x = nx
                toolBar.y = ny
                toolBar.moved = true
            }
        }
    }

    ToolButton {
        id: dropButton
        objectName: "dropPanelButton"
        x: 24
        y: 19
        name: "dropPanel"
        icon: toolBar.showDropPanel ? "qrc:/component/image/toolbar/drop_panel_up.png"
                                    : "qrc:/component/image/toolbar/drop_panel_down.png"
        check: toolBar.showDropPanel
        onClick: {
            toolBar.showDropPanel = check
            if (typeof settings !== "undefined" && settings !== null)
                settings.setValue("visibleColorPanel", check)
        }
    }

    Row {
        id: tools
        objectName: "toolButtons"
        x: 76
        y: 19
        spacing: 2
        Repeater {
            model: Tools.toolbarButtons
            ToolButton {
                objectName: "tool" + modelData.name
                name: modelData.name
                check: toolBar.selectedButton === modelData.name
                icon: {
                    var base = "qrc:/component/image/toolbar/tool_" + modelData.name.toLowerCase()
                    if (toolBar.commandModified && Tools.fillsWithCtrl(modelData.name))
                        base += "_command"
                    return base + ".png"
                }
                // The registry's texts, translated here in the toolbar's context.
                toolTipText: qsTranslate("ToolBar", modelData.tip)
                             + (typeof core !== "undefined" && core ? core.emptyString : "")
                subToolTipText: toolBar.keyText(modelData.detail === "" ? "" : qsTranslate("ToolBar", modelData.detail))
                                + (typeof core !== "undefined" && core ? core.emptyString : "")
                onClick: toolBar.toolButtonTriggered(arg, check)
            }
        }
    }

    // Accept button and the arrow of the menu.
    Rectangle {
        id: accept
        objectName: "acceptButton"
        x: 620
        y: 19
        width: 100
        height: 46
        radius: 4
        color: acceptMouse.pressed ? "#2f7aa0" : (acceptMouse.containsMouse ? "#4ba3cc" : "#3a8db5")
        Image {
            anchors.centerIn: parent
            source: "qrc:/component/image/toolbar/accept.png"
        }
        MouseArea {
            id: acceptMouse
            anchors.fill: parent
            hoverEnabled: true
            onClicked: {
                toolBar.hideMenu()
                toolBar.clickAccept()
            }
        }
    }
    Rectangle {
        id: menuArrow
        objectName: "menuButton"
        x: 724
        y: 19
        width: 46
        height: 46
        radius: 4
        color: toolBar.showMenu ? "#4ba3cc" : (arrowMouse.containsMouse ? "#3a3d42" : "#303338")
        Image {
            anchors.centerIn: parent
            source: "qrc:/component/image/toolbar/menu_arrow.png"
        }
        MouseArea {
            id: arrowMouse
            anchors.fill: parent
            hoverEnabled: true
            onClicked: {
                toolBar.showMenu = !toolBar.showMenu
                toolBar.checkMenu(toolBar.showMenu)
            }
        }
    }

    ToolBarMenu {
        id: menu
        objectName: "toolBarMenu"
        visible: toolBar.showMenu && toolBar.visible
        z: 100
        x: toolBar.width - width
        y: {
            var below = background.height + 5
            if (toolBar.parent && toolBar.y + below + height > toolBar.parent.height)
                return -height - 5
            return below
        }
        onChosen: {
            toolBar.hideMenu()
            var s = toolBar.pageSurface
            if (!s)
                return
            if (action === "upload") s.uploadScreen()
            else if (action === "save") s.saveScreen()
            else if (action === "copy") s.screenSaveToClipboard()
            else if (action === "vk") s.screenPostVK()
            else if (action === "odnoklassniki") s.screenPostOdnoklassniki()
            else if (action === "facebook") s.screenPostFacebook()
            else if (action === "twitter") s.screenPostTwitter()
            else if (action === "mail") s.screenPostMail()
        }
    }

    // Drop panel: undo, redo, colour, text substrate, line width.
    Item {
        id: dropPanel
        objectName: "dropPanel"
        visible: toolBar.showDropPanel
        y: 85
        width: toolBar.width
        height: 110

        readonly property var undoArea: (typeof ponoramPaintArea !== "undefined" && ponoramPaintArea
                                         && ponoramPaintArea.visible) ? ponoramPaintArea : toolBar.area

        ToolButton {
            id: undoButton
            objectName: "undoButton"
            x: 24
            y: 32
            name: "undo"
            enable: dropPanel.undoArea !== null && dropPanel.undoArea.canUndo === true
            icon: enable ? "qrc:/component/image/toolbar/undo_active.png" : "qrc:/component/image/toolbar/undo.png"
            onClick: dropPanel.undoArea.checkUndo()
        }
        ToolButton {
            id: redoButton
            objectName: "redoButton"
            x: 72
            y: 32
            name: "redo"
            enable: dropPanel.undoArea !== null && dropPanel.undoArea.canRedo === true
            icon: enable ? "qrc:/component/image/toolbar/redo_active.png" : "qrc:/component/image/toolbar/redo.png"
            onClick: dropPanel.undoArea.checkRedo()
        }

        Item {
            id: colorStrip
            objectName: "colorStrip"
            x: 136
            y: 44
            width: 340
            height: 24
            visible: Tools.usesColor(toolBar.moduleName) && Tools.usesColor(toolBar.itemName)
            Image {
                id: colorLine
                y: 6
                source: "qrc:/component/image/component/color_line_big.png"
            }
            MouseArea {
                objectName: "colorStripArea"
                anchors.fill: parent
                onPressed: toolBar.clickColorLine(mouse.x)
            }
            Rectangle {
                id: marker
                objectName: "colorMarker"
                x: toolBar.colorLineX
                y: 0
                width: 14
                height: 24
                radius: 2
                color: "transparent"
                border.color: "white"
                border.width: 2
                MouseArea {
                    anchors.fill: parent
                    anchors.margins: -3
                    property real lastX: 0
                    property int pressX: 0
                    onPressed: {
                        lastX = mapToItem(colorStrip, mouse.x, mouse.y).x
                        pressX = toolBar.colorLineX
                    }
                    onPositionChanged: {
                        if (!pressed)
                            return
                        var nowX = mapToItem(colorStrip, mouse.x, mouse.y).x
                        var next = Math.max(-2, Math.min(326, Math.round(toolBar.colorLineX + nowX - lastX)))
                        lastX = nowX
                        if (next !== toolBar.colorLineX) {
                            toolBar.colorLineX = next
                            toolBar.changeColorLineX(next)
                        }
                    }
                    onReleased: toolBar.changeColorLineXEnd(toolBar.colorLineX, pressX)
                }
            }
        }

        Item {
            id: substrate
            objectName: "substrateBox"
            x: 136
            y: 76
            width: substrateRow.width
            height: 20
            visible: (Tools.usesSubstrate(toolBar.moduleName) || Tools.usesSubstrate(toolBar.itemName))
                     && !toolBar.ponoramWork
            readonly property bool checked: typeof currentSubstrate !== "undefined" && currentSubstrate === true
            Row {
                id: substrateRow
                spacing: 8
                Rectangle {
                    width: 16; height: 16; radius: 2
                    color: "transparent"; border.color: "white"
                    Rectangle { anchors.centerIn: parent; width: 8; height: 8; color: "white"; visible: substrate.checked }
                }
                Text {
                    color: "white"; font.family: "Arial"; font.pixelSize: 13
                    text: qsTr("Substrate") + (typeof core !== "undefined" && core ? core.emptyString : "")
                }
            }
            MouseArea {
                anchors.fill: parent
                onClicked: if (typeof currentSubstrate !== "undefined") currentSubstrate = !currentSubstrate
            }
        }

        Slider {
            id: widthSlider
            objectName: "widthSlider"
            x: 500
            y: 44
            enable: toolBar.moduleName !== "Ponoram"
            property bool following: false
            function follow(v) {
                following = true
                value = Math.max(minValue, Math.min(maxValue, v))
                following = false
            }
            Component.onCompleted: {
                if (toolBar.area && toolBar.area.currentLineWidth !== undefined)
                    follow(Math.max(minValue, Math.min(maxValue, toolBar.area.currentLineWidth)))
            }
            onValueChanged: if (!following) toolBar.changeWidthLineValue(value)
            onValueChangeComplete: toolBar.changeWidthLineValueEnd(value, oldValue)
        }
    }

    Component.onCompleted: {
        if (shortTool) {
            setCurrentModule("Pen")
            return
        }
        var last = setting("lastGraphTools")
        last = (last === undefined || last === null) ? "" : String(last)
        setCurrentModule(last !== "" && last !== "Ponoram" ? last : "Line")
    }
}

import QtQuick 2.12
import QtQuick.Controls 2.12 as QQC
import PryxComponent 1.0
import "../Components"

// The panorama editor: the image in a scrollable, zoomable view with the
// annotation area over it. Keys are the window's (C++).
Rectangle {
    id: root
    objectName: "EditPonoramRoot"
    color: "transparent"

    property int unzoomedWidth: 0
    property int unzoomedHeight: 0
    property real zoom: 100

    width: Math.min(Math.max(image.width + 100, 900), surface.maxWidth)
    height: Math.min(image.height + 202, surface.maxHeight)

    Rectangle {
        id: frame
        anchors.fill: parent
        anchors.margins: 30
        radius: 5
        color: "#2e353b"
        Rectangle {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: 180
            radius: 5
            gradient: Gradient {
                GradientStop { position: 0.0; color: "#2e353b" }
                GradientStop { position: 1.0; color: "#1c2227" }
            }
        }
    }

    MouseArea {
        id: dragArea
        anchors.fill: parent
        property point pressPos
        onPressed: pressPos = Qt.point(mouse.x, mouse.y)
        onPositionChanged: {
            if (pressed)
                window.move(window.x + mouse.x - pressPos.x, window.y + mouse.y - pressPos.y)
        }
    }

    Rectangle {
        id: closeButton
        objectName: "closeButton"
        width: 30
        height: 30
        radius: 4
        anchors.top: parent.top
        anchors.right: parent.right
        anchors.topMargin: 33
        anchors.rightMargin: 33
        z: 30000
        color: closeMouse.containsMouse ? "#363d43" : "#2e353b"
        Image {
            anchors.centerIn: parent
            source: "qrc:/component/image/component/close_edit_ponoram.png"
        }
        MouseArea {
            id: closeMouse
            anchors.fill: parent
            hoverEnabled: true
            onClicked: window.close()
        }
    }

    Item {
        id: imageView
        objectName: "imageView"
        clip: true
        anchors.fill: frame
        anchors.margins: 7
        anchors.bottomMargin: 135

        Flickable {
            id: flick
            objectName: "flick"
            anchors.fill: parent
            interactive: false
            contentWidth: image.width
            contentHeight: image.height

            Image {
                id: image
                objectName: "image"
                cache: false
                smooth: false
                source: window.requestBackground()
                onStatusChanged: {
                    if (status === Image.Ready) {
                        width = sourceSize.width / surface.currentPixmapAcpectRatio
                        height = sourceSize.height / surface.currentPixmapAcpectRatio
                        root.unzoomedWidth = width
                        root.unzoomedHeight = height
                    }
                }
                Connections {
                    target: window
                    function onBackgroundChange() { image.source = window.requestBackground() }
                }

                PPainterArea {
                    id: paintArea
                    objectName: "paintArea"
                    anchors.fill: parent
                    z: 1
                    selectRect: Qt.rect(0, 0, width, height)
                }
                Item {
                    objectName: "ponoramPaintArea"
                    width: 0
                    height: 0
                }
            }

            function clampY(y) { return Math.max(0, Math.min(y, contentHeight - height)) }
            function clampX(x) { return Math.max(0, Math.min(x, contentWidth - width)) }
        }

        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.NoButton
            onWheel: flick.contentY = flick.clampY(flick.contentY - wheel.angleDelta.y)
        }

        QQC.ScrollBar {
            id: vbar
            objectName: "verticalScrollBar"
            width: 12
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            orientation: Qt.Vertical
            policy: QQC.ScrollBar.AlwaysOn
            visible: image.height > imageView.height
            size: image.height > 0 ? imageView.height / image.height : 1
            position: image.height > 0 ? flick.contentY / image.height : 0
            onPositionChanged: if (pressed) flick.contentY = flick.clampY(position * image.height)
        }
        QQC.ScrollBar {
            id: hbar
            objectName: "horizontalScrollBar"
            height: 12
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            orientation: Qt.Horizontal
            policy: QQC.ScrollBar.AlwaysOn
            visible: image.width > imageView.width
            size: image.width > 0 ? imageView.width / image.width : 1
            position: image.width > 0 ? flick.contentX / image.width : 0
            onPositionChanged: if (pressed) flick.contentX = flick.clampX(position * image.width)
        }
    }

    // Zoom, only for panoramas wider than the screen.
    Row {
        id: zoomControl
        objectName: "zoomControl"
        visible: root.unzoomedWidth > surface.maxWidth
        spacing: 6
        anchors.right: frame.right
        anchors.rightMargin: 20
        anchors.top: imageView.bottom
        anchors.topMargin: 10
        z: 20001
        Repeater {
            model: [{ "icon": "zoom_minus_control", "step": -10 }, { "icon": "zoom_plus_control", "step": 10 }]
            delegate: Item {
                width: 24
                height: 24
                Image {
                    anchors.fill: parent
                    source: zoomMouse.pressed ? "qrc:/icon/image/component/zoom_press_background.png"
                                              : "qrc:/icon/image/component/zoom_hover_background.png"
                    visible: zoomMouse.containsMouse
                }
                Image {
                    anchors.centerIn: parent
                    source: "qrc:/icon/image/component/" + modelData.icon + ".png"
                }
                MouseArea {
                    id: zoomMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: zoomSlider.value = zoomSlider.value + modelData.step
                }
            }
        }
        QQC.Slider {
            id: zoomSlider
            objectName: "zoomSlider"
            from: 10
            to: 100
            value: 100
            width: 120
            onValueChanged: root.applyZoom(value)
        }
    }

    ToolBar {
        id: toolBar
        objectName: "toolBar"
        shortTool: true
        enableMove: false
        z: 20000
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: imageView.bottom
        anchors.topMargin: 10
        onToolClick: paintArea.currentModule = check ? name : ""
        onClickAccept: {
            zoomSlider.value = 100
            window.uploadScreen()
        }
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
            settings.setValue("widthColorLine", value)
            paintArea.pushLineWidthChange(value, oldValue)
        }
    }

    function applyZoom(v) {
        if (root.unzoomedWidth <= 0)
            return
        image.width = root.unzoomedWidth / 100 * v
        image.height = root.unzoomedHeight * image.width / root.unzoomedWidth
        flick.contentX = flick.clampX((image.width - imageView.width) / 2)
        flick.contentY = flick.clampY(flick.contentY)
    }

    Component.onCompleted: {
        paintArea.forceActiveFocus()
        if (settings && core && core.getColorFromX)
            paintArea.currentColor = core.getColorFromX(Number(settings.getValue("colorColorLine")))
        if (settings)
            toolBar.setColorLineX(Number(settings.getValue("colorColorLine")))
        zoomSlider.value = 100
    }
}

import QtQuick 2.12

// The frame of every page: the card (background, a title bar that is the drag
// band of the window, the close button) and, while the desktop blends
// transparent windows, a 30-pixel margin around it with a shadow.
Item {
    id: frameRoot
    property string titleText: ""
    property string iconSource: ""
    property bool iconVisible: true
    property bool titleVisible: true
    property int windowWidth: 100
    property int windowHeight: 100
    default property alias content: contentArea.data
    signal closed()

    readonly property int shadowMargin: window.isTransparentSupport ? 30 : 0
    readonly property bool mac: core.getPlatform() === "Mac"
    property string fontFamily: settings.getValue("mainFontFamily")

    width: windowWidth + 2 * shadowMargin
    height: windowHeight + 2 * shadowMargin

    ShadowRectangle {
        x: frameRoot.shadowMargin
        y: frameRoot.shadowMargin
        width: frameRoot.windowWidth
        height: frameRoot.windowHeight
        visible: frameRoot.shadowMargin > 0
    }

    Item {
        id: frame
        x: frameRoot.shadowMargin
        y: frameRoot.shadowMargin
        width: frameRoot.windowWidth
        height: frameRoot.windowHeight

        BorderImage {
            anchors.fill: parent
            source: "qrc:/image/image/image/background.png"
            border { left: 12; top: 40; right: 12; bottom: 12 }
        }

        Item {
            id: titleBar
            width: parent.width
            height: 30

            MouseArea {
                id: titleArea
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                property point pressPos
                property bool dragged: false
                // A drag moves the window; only a click opens the service's page.
                onPressed: {
                    pressPos = Qt.point(window.geometry.x, window.geometry.y)
                    dragged = false
                }
                onPositionChanged: {
                    if (window.geometry.x !== pressPos.x || window.geometry.y !== pressPos.y)
                        dragged = true
                }
                onClicked: {
                    if (!dragged && window.geometry.x === pressPos.x && window.geometry.y === pressPos.y)
                        core.openUrl("https://" + settings.currentHostUrl)
                }
            }

            Image {
                id: icon
                x: frameRoot.mac ? parent.width - width - 10 : 10
                anchors.verticalCenter: parent.verticalCenter
                width: 16
                height: 16
                visible: frameRoot.iconVisible
                source: frameRoot.iconSource !== "" ? frameRoot.iconSource : "qrc:/icon/image/icon/main_ico.png"
            }

            Text {
                id: title
                objectName: "titleText"
                visible: frameRoot.titleVisible
                anchors.verticalCenter: parent.verticalCenter
                x: frameRoot.mac ? (parent.width - width) / 2
                                 : (frameRoot.iconVisible ? icon.x + icon.width + 7 : 10)
                width: Math.min(implicitWidth, parent.width - 70)
                elide: Text.ElideRight
                text: frameRoot.titleText
                color: "#4c555a"
                style: Text.Raised
                styleColor: "#ffffff"
                font.family: frameRoot.fontFamily
                font.pixelSize: 13
                font.bold: true
            }

            ControllButton {
                id: closeButton
                type: "close"
                anchors.verticalCenter: parent.verticalCenter
                x: frameRoot.mac ? 8 : parent.width - width - 8
                onClick: {
                    frameRoot.closed()
                    closeButton.forceActiveFocus()
                    window.close()
                }
            }
        }

        Item {
            id: contentArea
            anchors.fill: parent
        }
    }
}

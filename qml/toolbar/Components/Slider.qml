import QtQuick 2.12

// Integer slider of the line width, 4 px per unit.
Item {
    id: slider
    property int minValue: 2
    property int maxValue: 26
    property int value: 2
    property bool enable: true
    readonly property int unit: Math.floor(width / 24)
    property int pressValue: value
    signal valueChangeComplete(int value, int oldValue)

    width: 105
    height: 24
    opacity: enable ? 1.0 : 0.4

    function knobX() { return Math.max(-2, Math.min(90, (value - minValue) * unit - 2)) }
    function valueAt(x) {
        var v = Math.round((Math.max(-2, Math.min(90, x)) + 2) / unit) + minValue
        return Math.max(minValue, Math.min(maxValue, v))
    }

    Image {
        objectName: "sliderBackground"
        anchors.verticalCenter: parent.verticalCenter
        source: "qrc:/component/image/toolbar/slider_background_" + slider.value + ".png"
    }
    Rectangle {
        id: knob
        objectName: "sliderKnob"
        x: slider.knobX()
        anchors.verticalCenter: parent.verticalCenter
        width: 18
        height: 18
        radius: 9
        color: "#ffffff"
        border.color: "#4ba3cc"
        border.width: 2
    }
    MouseArea {
        anchors.fill: parent
        enabled: slider.enable
        onPressed: {
            slider.pressValue = slider.value
            slider.value = slider.valueAt(mouse.x - 9)
        }
        onPositionChanged: if (pressed) slider.value = slider.valueAt(mouse.x - 9)
        onReleased: slider.valueChangeComplete(slider.value, slider.pressValue)
    }
}

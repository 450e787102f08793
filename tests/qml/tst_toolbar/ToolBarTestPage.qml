import QtQuick 2.12
import "qrc:/qml/qml/Components"

// The toolbar with the scope a capture page gives it, and a record of what it
// asked the page to do.
Item {
    id: page
    width: 1000
    height: 600

    property string currentGraphModule: paintArea.currentModule
    property var currentItem: null
    property bool currentSubstrate: false
    property var toolClicks: []
    property int colorX: -100
    property int colorEnd: -100
    property int colorEndOld: -100
    property int widthValue: -1
    property int widthEnd: -1
    property int widthEndOld: -1
    property int accepts: 0

    Item {
        id: paintArea
        objectName: "area"
        property string currentModule: ""
        property bool canUndo: false
        property bool canRedo: false
        property int currentLineWidth: 6
        property int undos: 0
        function checkUndo() { undos++ }
        function checkRedo() {}
    }

    ToolBar {
        id: bar
        objectName: "bar"
        x: 20
        y: 20
        shortTool: testShortTool
        onToolClick: {
            paintArea.currentModule = check ? name : ""
            var l = page.toolClicks
            l.push(name + ":" + check)
            page.toolClicks = l
        }
        onChangeColorLineX: page.colorX = arg
        onChangeColorLineXEnd: { page.colorEnd = value; page.colorEndOld = oldValue }
        onChangeWidthLineValue: page.widthValue = value
        onChangeWidthLineValueEnd: { page.widthEnd = value; page.widthEndOld = oldValue }
        onClickAccept: page.accepts++
    }
}

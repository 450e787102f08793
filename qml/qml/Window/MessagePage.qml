import QtQuick 2.12
import "../Component" as Pc

// An information or a yes/no question; done(0) is Ok / yes, done(1) Cancel.
Pc.Window {
    id: page
    readonly property string dialogTitle: value("title")
    readonly property bool question: window.data("type") === "questions"
    titleText: dialogTitle === "" ? "Pryx" : "Pryx - " + dialogTitle
    windowWidth: 241
    windowHeight: 200

    // A value the dialog set, or the empty text.
    function value(key) {
        var v = window.data(key)
        return v === undefined || v === null ? "" : String(v)
    }

    Text {
        id: messageText
        objectName: "messageText"
        x: 20
        y: 45
        width: page.windowWidth - 40
        height: page.windowHeight - y - 55
        wrapMode: Text.WordWrap
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        text: page.value("message")
        color: settings.getValue("mainFontColor")
        font.family: settings.getValue("mainFontFamily")
        font.pixelSize: 13
    }

    Row {
        anchors.horizontalCenter: parent.horizontalCenter
        y: page.windowHeight - 45
        spacing: 10
        Pc.PushButtonBlue {
            objectName: "okButton"
            width: page.question ? 95 : 110
            text: page.value("Ok")
            onClick: message.done(0)
        }
        Pc.PushButtonDark {
            objectName: "cancelButton"
            width: 95
            visible: page.question
            text: page.value("Cancel")
            onClick: message.done(1)
        }
    }
}

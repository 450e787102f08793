import QtQuick 2.12

ImageButton {
    background: "qrc:/component/image/component/dark_button_background.png"
}

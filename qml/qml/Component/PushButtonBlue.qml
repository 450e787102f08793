import QtQuick 2.12

ImageButton {
    background: "qrc:/component/image/component/login_button_background.png"
}

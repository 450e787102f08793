#pragma once
// The small window that shows an image-with-audio file and plays its sound
// when clicked.

#include "windows/basicwindow.h"

class AudioImageFile;

class AudioImagePlayer : public BasicWindow
{
    Q_OBJECT
    Q_PROPERTY(bool isPlay READ isPlay NOTIFY isPlayChanged)
    // The reason a file could not be opened; empty for a good file.
    Q_PROPERTY(QString errorText READ errorText NOTIFY errorTextChanged)

public:
    explicit AudioImagePlayer(QWindow *parent = nullptr);
    ~AudioImagePlayer() override;

    void setFile(QString path);
    AudioImageFile *file() const { return file_; }

    Q_INVOKABLE void show();
    Q_INVOKABLE void playAudio();
    Q_INVOKABLE void stopAudio();

    bool isPlay() const;
    QString errorText() const { return errorText_; }

signals:
    void isPlayChanged();
    void errorTextChanged();

protected:
    void init() override;

private:
    void setErrorText(const QString &text);

    AudioImageFile *file_ = nullptr;
    QString errorText_;
};

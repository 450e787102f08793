#pragma once
// One image-with-audio file: its picture and sound, read and written through
// the audio library, and the sound's playback thread.

#include <QAudio>
#include <QAudioFormat>
#include <QByteArray>
#include <QMediaPlayer>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <atomic>

class QAudioOutput;

class AudioThreadPlay : public QThread
{
    Q_OBJECT
public:
    explicit AudioThreadPlay(const QByteArray &audio, QObject *parent = nullptr);
    ~AudioThreadPlay() override;

    // Hands the stop to the output on the playback thread.
    void stopPlayback();
    // Starts a run (GUI thread); a stop asked for before the run begins holds.
    void startPlayback();
    bool isStopping() const { return stopRequested_; }

    // The playback format of a sound block: a WAV file's own format (its data
    // chunk is played), otherwise raw 48000 Hz 16-bit signed mono PCM. pcm
    // gets the bytes to play; false for a WAV file that cannot be read.
    static bool decode(const QByteArray &audio, QAudioFormat *format, QByteArray *pcm,
                       QString *error);

signals:
    void playChange(int state);
    void playError(QString text);

public slots:
    void stateChanged(QAudio::State state);

protected:
    void run() override;

private:
    const QByteArray audio_;
    QMutex mutex_;
    QAudioOutput *output_ = nullptr; // lives on the playback thread, under mutex_
    std::atomic<bool> stopRequested_{false};
};

class AudioImageFile : public QObject
{
    Q_OBJECT
public:
    explicit AudioImageFile(QObject *parent = nullptr);
    ~AudioImageFile() override;

    void setPath(const QString &path) { path_ = path; }
    QString path() const { return path_; }
    QByteArray image() const { return image_; }
    QByteArray audio() const { return audio_; }
    int playing() const { return playing_; }
    QString errorString() const { return error_; }

    // Reads picture and sound; false (with errorString) for a missing library
    // or a file the library refuses.
    bool readAll();
    // Writes path from the two blocks; false (with errorString) on failure.
    bool write(const QByteArray &image, const QByteArray &audio);
    void play();
    void stop();

    // The library file; by default "audiolib.so" in the program's folder.
    static QString libraryPath();
    static void setLibraryPath(const QString &path);

signals:
    void stateChange();
    void errorOccurred(QString text);

public slots:
    void playError(QMediaPlayer::Error error);
    void playChange(int state);

private slots:
    void threadError(QString text);

private:
    QString path_;
    AudioThreadPlay *thread_ = nullptr;
    QByteArray image_;
    QByteArray audio_;
    int playing_ = 0;
    QString error_;
};

#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace ds::test {

// Writes a compound file (version 3, 512-byte sectors) whose root storage holds the given
// streams. Streams under 4096 bytes go to the mini stream, as the format demands.
class CompoundFileWriter {
  public:
    void addStream(const QString& name, const QByteArray& data);
    QByteArray build() const;

  private:
    struct Stream {
        QString name;
        QByteArray data;
    };
    std::vector<Stream> streams_;
};

}  // namespace ds::test

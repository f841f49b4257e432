// Swaps two small executables in and out under one name, over and over, until it is
// killed: "swap_probe FOLDER" runs FOLDER/a and FOLDER/b in turn as FOLDER/run.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include "platform/ExitSignals.h"
#include "update/ExecutableSwap.h"

namespace {

UpdateDescriptor DescriptorOf(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Md5);
    UpdateDescriptor descriptor;
    if (file.open(QIODevice::ReadOnly) && hash.addData(&file))
        descriptor.version = QString::fromLatin1(hash.result().toHex());
    return descriptor;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    ExitSignals::Install();
    const QDir folder(QFile::decodeName(argv[1]));
    const QString builds[] = {folder.filePath("a"), folder.filePath("b")};
    const UpdateDescriptor descriptors[] = {DescriptorOf(builds[0]), DescriptorOf(builds[1])};
    const QString downloaded = folder.filePath("Newycj.exe");
    for (unsigned turn = 0;; ++turn) {
        QFile::remove(downloaded);
        if (!QFile::copy(builds[turn % 2], downloaded)
            || !SwapInExecutable(folder.filePath("run"), downloaded, folder.filePath("Oldycj.exe"), descriptors[turn % 2]))
            return 1;
    }
}

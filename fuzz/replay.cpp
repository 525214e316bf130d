// Runs a fuzz target without libFuzzer, so its properties hold in every ordinary test run too:
// first each file of the seed corpus, then a fixed series of random inputs built from the
// bytes that matter to text (line breaks, byte-order marks, UTF-8 lead and trail bytes, zeros).
//   replay_<target> <corpus folder> <random inputs>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void run(const QByteArray& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()),
                           std::size_t(input.size()));
}

QByteArray randomInput(std::mt19937& random) {
    static const QByteArray pieces[] = {"\r\n",
                                        "\r",
                                        "\n",
                                        "\xEF\xBB\xBF",
                                        "\xFF\xFE",
                                        "\xFE\xFF",
                                        "\x00\x00\xFE\xFF",
                                        "\xC3\xA9",
                                        "\xE2\x82\xAC",
                                        "\xF0\x9F\x98\x80",
                                        "\x80",
                                        "\xC3",
                                        "\x1B$B",
                                        "\t",
                                        " ",
                                        "=",
                                        "[",
                                        "]",
                                        "\\",
                                        "%",
                                        "\"",
                                        "'",
                                        "@",
                                        ",",
                                        ";",
                                        "\xD0\x96",
                                        "\x82\xA0"};
    const int count = int(random() % 64);
    QByteArray input;
    for (int i = 0; i < count; ++i) {
        if (random() % 3 == 0)
            input += pieces[random() % std::size(pieces)];
        else if (random() % 2 == 0)
            input += char('a' + random() % 26);
        else
            input += char(random() % 256);
    }
    return input;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <corpus folder> <random inputs>\n", argv[0]);
        return 2;
    }
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    const QDir corpus(QString::fromLocal8Bit(argv[1]));
    int seeds = 0;
    for (const QString& name : corpus.entryList(QDir::Files)) {
        QFile file(corpus.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        run(file.readAll());
        ++seeds;
    }
    std::mt19937 random(20261208);
    const long inputs = std::strtol(argv[2], nullptr, 10);
    for (long i = 0; i < inputs; ++i)
        run(randomInput(random));
    std::printf("%d seeds and %ld random inputs kept every property\n", seeds, inputs);
    return 0;
}

#include "platform/media/TesseractTextRecognizer.h"

#include "platform/foundation/Unicode.h"

#include <leptonica/allheaders.h>
#include <omp.h>
#include <tesseract/baseapi.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace folio {

namespace {

constexpr const char* kRecognizerDomain = "TextRecognizer";

struct PixDeleter {
    void operator()(Pix* pix) const { pixDestroy(&pix); }
};

// tesseract's OpenMP workers spin while they wait for each other, so on a
// busy computer a page takes many seconds instead of a fraction of one.
// OMP_THREAD_LIMIT would keep them to one thread, but the OpenMP runtime
// reads it only once, when it is loaded with tesseract, before anything of
// ours runs. With no parallel level allowed, every parallel section of
// tesseract (even those that ask for a number of threads) runs on the
// calling thread and no worker is ever started.
void keepRecognitionOnOneThread()
{
    omp_set_max_active_levels(0);
}

enum class WordLists { Load, Skip };

std::unique_ptr<tesseract::TessBaseAPI> startEngine(const std::string& language, WordLists wordLists)
{
    keepRecognitionOnOneThread();
    auto engine = std::make_unique<tesseract::TessBaseAPI>();
    // tesseract keeps the word lists it loads in a cache of its own for the
    // life of the process, several megabytes for English, even after End():
    // a question whether a language is installed loads none of them.
    std::vector<std::string> names;
    std::vector<std::string> values;
    if (wordLists == WordLists::Skip) {
        // The first for the line recogniser's lists, the others for the
        // older engine's.
        for (const char* name : {"lstm_use_matrix", "load_system_dawg", "load_freq_dawg", "load_unambig_dawg",
                                 "load_punc_dawg", "load_number_dawg", "load_bigram_dawg"}) {
            names.emplace_back(name);
            values.emplace_back("0");
        }
    }
    if (engine->Init(nullptr, language.c_str(), tesseract::OEM_DEFAULT, nullptr, 0, &names, &values, false) != 0)
        return nullptr;
    return engine;
}

std::u16string trimmed(std::u16string text)
{
    auto blank = [](char16_t c) { return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t' || c == u'\f'; };
    while (!text.empty() && blank(text.back()))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && blank(text[start]))
        ++start;
    return text.substr(start);
}

} // namespace

bool TesseractTextRecognizer::isAvailable(const std::string& language)
{
    // Starting the engine takes a quarter of a second; the installed
    // languages do not change while the program runs, so each is asked once
    // for every editor and scanner.
    static std::mutex guard;
    static std::map<std::string, bool> answers;
    std::lock_guard lock(guard);
    auto known = answers.find(language);
    if (known != answers.end())
        return known->second;
    auto engine = startEngine(language, WordLists::Skip);
    if (engine)
        engine->End();
    return answers[language] = engine != nullptr;
}

Result<std::vector<std::u16string>> TesseractTextRecognizer::recognizeLines(const std::string& picturePath, const std::string& language)
{
    std::unique_ptr<Pix, PixDeleter> picture(pixRead(picturePath.c_str()));
    if (!picture)
        return Error{kRecognizerDomain, 1, "The picture " + picturePath + " cannot be read"};
    std::unique_ptr<tesseract::TessBaseAPI> engine = startEngine(language, WordLists::Load);
    if (!engine)
        return Error{kRecognizerDomain, 2, "Text recognition for \"" + language + "\" is not installed"};
    engine->SetImage(picture.get());
    if (engine->Recognize(nullptr) != 0) {
        engine->End();
        return Error{kRecognizerDomain, 3, "No text could be recognised in " + picturePath};
    }
    std::vector<std::u16string> lines;
    std::unique_ptr<tesseract::ResultIterator> iterator(engine->GetIterator());
    if (iterator) {
        do {
            std::unique_ptr<char[]> text(iterator->GetUTF8Text(tesseract::RIL_TEXTLINE));
            if (!text)
                continue;
            std::u16string line = trimmed(toUtf16(text.get()));
            if (!line.empty())
                lines.push_back(std::move(line));
        } while (iterator->Next(tesseract::RIL_TEXTLINE));
    }
    engine->End();
    return lines;
}

} // namespace folio

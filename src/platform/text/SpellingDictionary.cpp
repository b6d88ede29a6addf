#include "platform/text/SpellingDictionary.h"

#include "platform/text/SpellCheckingLanguages.h"

#include <dlfcn.h>
#include <sys/types.h>

namespace folio {

// The spelling library the web engine itself checks with, opened when first
// needed: it comes with the engine, so nothing more is built against.
struct SpellingDictionary::Library {
    void* (*brokerInit)() = nullptr;
    void (*brokerFree)(void*) = nullptr;
    void* (*requestDictionary)(void*, const char*) = nullptr;
    void (*freeDictionary)(void*, void*) = nullptr;
    int (*check)(void*, const char*, ssize_t) = nullptr;

    static const Library* shared()
    {
        static const Library* library = [] () -> const Library* {
            void* handle = dlopen("libenchant-2.so.2", RTLD_NOW | RTLD_LOCAL);
            if (!handle)
                return nullptr;
            static Library loaded;
            loaded.brokerInit = reinterpret_cast<void* (*)()>(dlsym(handle, "enchant_broker_init"));
            loaded.brokerFree = reinterpret_cast<void (*)(void*)>(dlsym(handle, "enchant_broker_free"));
            loaded.requestDictionary =
                reinterpret_cast<void* (*)(void*, const char*)>(dlsym(handle, "enchant_broker_request_dict"));
            loaded.freeDictionary = reinterpret_cast<void (*)(void*, void*)>(dlsym(handle, "enchant_broker_free_dict"));
            loaded.check = reinterpret_cast<int (*)(void*, const char*, ssize_t)>(dlsym(handle, "enchant_dict_check"));
            if (!loaded.brokerInit || !loaded.brokerFree || !loaded.requestDictionary || !loaded.freeDictionary ||
                !loaded.check)
                return nullptr;
            return &loaded;
        }();
        return library;
    }
};

SpellingDictionary::SpellingDictionary(const Library& library, void* broker, std::vector<void*> dictionaries)
    : m_library(library), m_broker(broker), m_dictionaries(std::move(dictionaries))
{
}

SpellingDictionary::~SpellingDictionary()
{
    for (void* dictionary : m_dictionaries)
        m_library.freeDictionary(m_broker, dictionary);
    m_library.brokerFree(m_broker);
}

std::unique_ptr<SpellingDictionary> SpellingDictionary::forLanguages(const std::vector<std::string>& languages)
{
    const Library* library = Library::shared();
    if (!library)
        return nullptr;
    void* broker = library->brokerInit();
    if (!broker)
        return nullptr;
    std::vector<void*> dictionaries;
    for (const std::string& language : languages) {
        if (void* dictionary = library->requestDictionary(broker, language.c_str()))
            dictionaries.push_back(dictionary);
    }
    if (dictionaries.empty()) {
        library->brokerFree(broker);
        return nullptr;
    }
    return std::unique_ptr<SpellingDictionary>(new SpellingDictionary(*library, broker, std::move(dictionaries)));
}

SpellingDictionary* SpellingDictionary::forThisSystem()
{
    static std::unique_ptr<SpellingDictionary> shared = forLanguages(SpellCheckingLanguages::forThisSystem());
    return shared.get();
}

bool SpellingDictionary::isMisspelled(std::string_view word) const
{
    if (word.empty())
        return false;
    // A word is spelled right when any of the person's languages knows it,
    // as the engine's underlining has it.
    // A dictionary that fails to answer calls nothing misspelled.
    bool unknown = false;
    for (void* dictionary : m_dictionaries) {
        int answer = m_library.check(dictionary, word.data(), static_cast<ssize_t>(word.size()));
        if (answer == 0)
            return false;
        unknown = unknown || answer > 0;
    }
    return unknown;
}

} // namespace folio

// expat rather than a DOM parser: it reads the file as a stream, so a log of
// any size costs one chunk of memory, and it refuses entity bombs by itself.
// Entity declarations, which no ADX file needs, are refused outright, nesting
// is capped, and every byte the parser allocates counts against a budget.
#include "xml/adx_expat.h"

#include <expat.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "logformat/adif.h"
#include "platform/text_file.h"

namespace tavo::xml {

namespace {

using tv_util2::AdifField;
using tv_util2::AdifRecord;

constexpr std::size_t kChunk = std::size_t{1} << 16;
// An ADX record lies at depth 3 and its fields at 4; nothing real goes deeper.
constexpr int kMaxDepth = 64;
// Far more than a stream of chunks needs; only a giant name or attribute,
// which expat must hold whole, comes near it.
constexpr std::size_t kMemoryBudget = std::size_t{8} << 20;

// expat's allocations, each with its size and budget in front of it. The
// budget of a new block is the one of the parser whose call is running.
struct Budget {
    std::size_t used = 0;
    bool exceeded = false;
};
thread_local Budget* current = nullptr;

struct alignas(std::max_align_t) BlockHeader {
    std::size_t size;
    Budget* budget;
};

bool Charge(Budget* budget, std::size_t more) {
    if (budget == nullptr) return true;
    if (more > kMemoryBudget - budget->used) {
        budget->exceeded = true;
        return false;
    }
    budget->used += more;
    return true;
}

void* BudgetMalloc(std::size_t size) {
    if (!Charge(current, size)) return nullptr;
    auto* block = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (block == nullptr) return nullptr;
    *block = {size, current};
    return block + 1;
}

void BudgetFree(void* p) {
    if (p == nullptr) return;
    BlockHeader* block = static_cast<BlockHeader*>(p) - 1;
    if (block->budget != nullptr) block->budget->used -= block->size;
    std::free(block);
}

void* BudgetRealloc(void* p, std::size_t size) {
    if (p == nullptr) return BudgetMalloc(size);
    BlockHeader* block = static_cast<BlockHeader*>(p) - 1;
    const std::size_t old = block->size;
    if (size > old && !Charge(block->budget, size - old)) return nullptr;
    auto* grown = static_cast<BlockHeader*>(std::realloc(block, sizeof(BlockHeader) + size));
    if (grown == nullptr) {
        // The old block stands as it was, and so must its charge.
        if (size > old && block->budget != nullptr) block->budget->used -= size - old;
        return nullptr;
    }
    if (size < old && grown->budget != nullptr) grown->budget->used -= old - size;
    grown->size = size;
    return grown + 1;
}

const XML_Memory_Handling_Suite kMemory = {BudgetMalloc, BudgetRealloc, BudgetFree};

// One parser over one log, fed a chunk at a time.
class Document {
public:
    explicit Document(tavo::TextReader& log) : log_(log) {
        Scope scope(budget_);
        parser_ = XML_ParserCreate_MM(nullptr, &kMemory, nullptr);
        if (parser_ == nullptr) throw tavo::IoError(log_.Name(), "out of memory for XML");
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, OnStart, OnEnd);
        XML_SetCharacterDataHandler(parser_, OnText);
        XML_SetEntityDeclHandler(parser_, OnEntityDecl);
    }
    ~Document() {
        Scope scope(budget_);
        XML_ParserFree(parser_);
    }
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // The root element's name, once the parser has seen it.
    const std::optional<std::string>& Root() const { return root_; }
    std::deque<AdifRecord>& Records() { return records_; }
    bool Done() const { return done_; }
    void StopAtRoot() { stopAtRoot_ = true; }

    // Parses the next chunk; false when the document is not well-formed or
    // was refused, with Problem() saying why.
    bool Feed() {
        // Not zero-filled: every file the detection looks at passes here once.
        if (!chunk_) chunk_ = std::make_unique_for_overwrite<char[]>(kChunk);
        const std::size_t got = log_.ReadBytes(chunk_.get(), kChunk);
        const bool last = got < kChunk;
        Scope scope(budget_);
        const XML_Status status =
            XML_Parse(parser_, chunk_.get(), static_cast<int>(got), last ? XML_TRUE : XML_FALSE);
        if (last) done_ = true;
        if (status != XML_STATUS_ERROR) return true;
        done_ = true;
        if (problem_.empty()) {
            problem_ = budget_.exceeded ? std::string("a name or value too large for an ADX file")
                                        : XML_ErrorString(XML_GetErrorCode(parser_));
            problem_ += " at line " + std::to_string(XML_GetCurrentLineNumber(parser_));
        }
        return false;
    }
    const std::string& Problem() const { return problem_; }

private:
    struct Scope {
        explicit Scope(Budget& b) : saved(current) { current = &b; }
        ~Scope() { current = saved; }
        Budget* saved;
    };

    void Refuse(std::string why) {
        problem_ = std::move(why) + " at line " + std::to_string(XML_GetCurrentLineNumber(parser_));
        XML_StopParser(parser_, XML_FALSE);
    }

    static void OnStart(void* data, const XML_Char* name, const XML_Char**) {
        auto* doc = static_cast<Document*>(data);
        const int depth = ++doc->depth_;
        if (depth > kMaxDepth)
            return doc->Refuse("elements nested deeper than " + std::to_string(kMaxDepth));
        if (depth == 1) {
            doc->root_ = name;
            if (doc->stopAtRoot_) XML_StopParser(doc->parser_, XML_FALSE);
            doc->inAdx_ = std::strcmp(name, "ADX") == 0;
        } else if (depth == 2) {
            doc->inRecords_ = doc->inAdx_ && std::strcmp(name, "RECORDS") == 0;
        } else if (depth == 3 && doc->inRecords_ && std::strcmp(name, "RECORD") == 0) {
            doc->inRecord_ = true;
            doc->record_.Clear();
        } else if (depth == 4 && doc->inRecord_) {
            doc->field_ = tv_util2::AdifFieldNamed(name);
            doc->text_.clear();
        }
    }

    static void OnEnd(void* data, const XML_Char*) {
        auto* doc = static_cast<Document*>(data);
        const int depth = doc->depth_--;
        if (depth == 4 && doc->inRecord_ && doc->field_) {
            doc->record_.Set(*doc->field_, doc->text_);
            doc->field_.reset();
        } else if (depth == 3 && doc->inRecord_) {
            doc->inRecord_ = false;
            doc->records_.push_back(std::move(doc->record_));
        } else if (depth == 2) {
            doc->inRecords_ = false;
        }
    }

    static void OnText(void* data, const XML_Char* text, int length) {
        auto* doc = static_cast<Document*>(data);
        if (doc->depth_ != 4 || !doc->field_) return;
        const std::size_t room = tv_util2::AdifFieldKept - doc->text_.size();
        doc->text_.append(text, std::min(room, static_cast<std::size_t>(length)));
    }

    static void OnEntityDecl(void* data, const XML_Char*, int, const XML_Char*, int,
                             const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*) {
        // Recognising the root expands nothing, and the reading that follows
        // then says why the file is refused.
        auto* doc = static_cast<Document*>(data);
        if (!doc->stopAtRoot_) doc->Refuse("an entity declaration, which ADX never needs");
    }

    tavo::TextReader& log_;
    Budget budget_;
    XML_Parser parser_ = nullptr;
    std::unique_ptr<char[]> chunk_;
    std::optional<std::string> root_;
    bool stopAtRoot_ = false;
    bool done_ = false;
    std::string problem_;
    int depth_ = 0;
    bool inAdx_ = false, inRecords_ = false, inRecord_ = false;
    std::optional<AdifField> field_;
    std::string text_;
    AdifRecord record_;
    std::deque<AdifRecord> records_;
};

class ExpatRecords : public tv_util2::AdxRecords {
public:
    explicit ExpatRecords(tavo::TextReader& log) : log_(log), doc_(log) {}

    bool Next(AdifRecord& record) override {
        while (doc_.Records().empty()) {
            if (doc_.Done()) return false;
            if (!doc_.Feed())
                throw tavo::IoError(log_.Name(), "not a readable ADX file: " + doc_.Problem());
        }
        record = std::move(doc_.Records().front());
        doc_.Records().pop_front();
        return true;
    }

private:
    tavo::TextReader& log_;
    Document doc_;
};

class ExpatParser : public tv_util2::AdxParser {
public:
    bool IsAdx(tavo::TextReader& log) const override {
        Document doc(log);
        doc.StopAtRoot();
        while (!doc.Root() && !doc.Done()) {
            if (!doc.Feed() && !doc.Root()) return false;
        }
        return doc.Root() == "ADX";
    }

    std::unique_ptr<tv_util2::AdxRecords> Open(tavo::TextReader& log) const override {
        return std::make_unique<ExpatRecords>(log);
    }
};

}  // namespace

void InstallAdxParser() {
    static const ExpatParser parser;
    tv_util2::InstallAdxParser(&parser);
}

}  // namespace tavo::xml

// The packed settings layouts (common/ppsetstore): any stored text unpacked into every
// owner's fields, any layout text parsed. Besides crashes, it checks that a packed column
// never exceeds its width in characters, that packing what was unpacked and unpacking it
// again gives the same column (the layout is a fixed point), and that the update
// statement quotes every text.
#include "common/ppsetstore.h"
#include "fuzz/fuzz_support.h"
#include "host/base/text.h"

namespace {

// Fields of every kind, bound to one owner's columns.
struct Fields {
    std::vector<std::string> texts;
    std::vector<char> chars;
    std::vector<long> numbers;
    Fields() : texts(64), chars(64), numbers(64) {}
};

void Bind(ppset::PPSetStore& store, Fields& f) {
    size_t t = 0, c = 0, n = 0;
    for (const ppset::ColumnLayout& column : store.Layout().columns) {
        std::vector<ppset::Slot> slots;
        for (const ppset::Conversion& conv : ppset::ParseLayout(column.layout)) {
            if (conv.type == 'c')
                slots.push_back(ppset::Slot::Char(&f.chars[c++]));
            else if (conv.type == 'd')
                slots.push_back(ppset::Slot::Number(&f.numbers[n++]));
            else
                slots.push_back(ppset::Slot::Text(&f.texts[t++]));
        }
        store.Bind(column.column, std::move(slots));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = fuzz::Text(data, size);
    ppset::ParseLayout(input);

    const std::vector<std::string> pieces = fuzz::Sections(input, "--");
    for (const ppset::OwnerLayout& owner : ppset::Layouts()) {
        Fields fields;
        ppset::PPSetStore store(owner.owner);
        Bind(store, fields);
        fuzz::Check(store.Complete(), "an owner's columns do not bind", owner.name);
        size_t i = 0;
        for (const ppset::ColumnLayout& column : owner.columns) {
            const std::string& stored = pieces[i++ % pieces.size()];
            store.Unpack(column.column, stored);
            const std::string packed = store.Pack(column.column);
            const size_t width = ppset::ColumnWidth(column.column);
            if (width) fuzz::Check(host::U8Length(packed) <= width, "a packed column too wide");
            store.Unpack(column.column, packed);
            // A flag holds one ASCII character: a stored character that is not ASCII packs
            // again as a blank, never as half a character, and the second packing is the
            // first.
            fuzz::Check(host::ToValidUtf8(packed) == packed, "a packed column is not UTF-8",
                        std::string(column.column) + ": " + packed);
            fuzz::Check(store.Pack(column.column) == packed, "packing is not a fixed point",
                        std::string(column.column) + ": " + packed);
        }
        const std::string sql = store.UpdateStatement("XX_");
        size_t quotes = 0;
        for (char ch : sql)
            quotes += ch == '\'';
        fuzz::Check(quotes % 2 == 0, "an update statement with an unbalanced quote", sql);
        store.SelectStatement("XX_");
    }
    fuzz::Tally("unpacked and packed by every owner");
    return 0;
}

#include "app/demo/spool.h"

#include <cerrno>
#include <cstring>

namespace demo {
namespace {

constexpr size_t kFlushAt = 1 << 20;
constexpr char kInt = 'i';
constexpr char kText = 't';

uint64_t ZigZag(int64_t v) {
    return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63);
}

int64_t UnZigZag(uint64_t v) {
    return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1);
}

// Reads the spool file back in blocks.
class Reader {
  public:
    explicit Reader(std::FILE* f) : f_(f) { buf_.resize(kFlushAt); }
    bool Byte(unsigned char* out) {
        if (pos_ == len_ && !Fill()) return false;
        *out = static_cast<unsigned char>(buf_[pos_++]);
        return true;
    }
    bool Varint(uint64_t* out) {
        uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            unsigned char b = 0;
            if (!Byte(&b)) return false;
            v |= static_cast<uint64_t>(b & 0x7f) << shift;
            if (!(b & 0x80)) {
                *out = v;
                return true;
            }
        }
        return false;
    }
    bool Bytes(size_t n, std::string* out) {
        out->clear();
        while (n > 0) {
            if (pos_ == len_ && !Fill()) return false;
            const size_t take = std::min(n, len_ - pos_);
            out->append(buf_.data() + pos_, take);
            pos_ += take;
            n -= take;
        }
        return true;
    }

  private:
    bool Fill() {
        len_ = std::fread(buf_.data(), 1, buf_.size(), f_);
        pos_ = 0;
        return len_ > 0;
    }
    std::FILE* f_;
    std::string buf_;
    size_t pos_ = 0, len_ = 0;
};

}  // namespace

Spool::Spool(const TableDef* def) : def_(def) {}

Spool::~Spool() {
    if (file_) std::fclose(file_);
}

void Spool::Put(const char* data, size_t n) {
    buffer_.append(data, n);
}

void Spool::PutVarint(uint64_t v) {
    char tmp[10];
    size_t n = 0;
    while (v >= 0x80) {
        tmp[n++] = static_cast<char>((v & 0x7f) | 0x80);
        v >>= 7;
    }
    tmp[n++] = static_cast<char>(v);
    Put(tmp, n);
}

Spool& Spool::Int(int64_t v) {
    Put(&kInt, 1);
    PutVarint(ZigZag(v));
    ++values_;
    return *this;
}

Spool& Spool::Text(std::string_view v) {
    Put(&kText, 1);
    PutVarint(v.size());
    Put(v.data(), v.size());
    ++values_;
    return *this;
}

void Spool::End() {
    if (values_ != def_->columns.size() && error_.empty())
        error_ = def_->name + " : " + std::to_string(values_) + " valeurs pour " +
                 std::to_string(def_->columns.size()) + " colonnes";
    values_ = 0;
    ++rows_;
    ++pending_;
    if (buffer_.size() >= kFlushAt) Flush();
}

void Spool::Flush() {
    for (unsigned char c : buffer_) {
        hash_ ^= c;
        hash_ *= 1099511628211ULL;
    }
    if (buffer_.empty() || !error_.empty()) return;
    if (!file_) file_ = std::tmpfile();
    if (!file_ || std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
        error_ = "fichier temporaire : " + std::string(std::strerror(errno));
        return;
    }
    buffer_.clear();
}

bool Spool::LoadInto(host::BulkLoader& loader, std::string* error) {
    Flush();
    if (!error_.empty()) {
        *error = error_;
        return false;
    }
    if (file_) std::rewind(file_);
    std::string text;
    const size_t columns = def_->columns.size();
    Reader in(file_);
    for (long row = 0; row < pending_ && file_; ++row) {
        for (size_t c = 0; c < columns; ++c) {
            unsigned char tag = 0;
            uint64_t v = 0;
            if (!in.Byte(&tag) || !in.Varint(&v)) {
                *error = def_->name + " : fichier temporaire tronqué";
                return false;
            }
            if (tag == kInt) {
                loader.Int(UnZigZag(v));
            } else if (!in.Bytes(static_cast<size_t>(v), &text)) {
                *error = def_->name + " : fichier temporaire tronqué";
                return false;
            } else {
                loader.Text(text);
            }
        }
        if (!loader.EndRow()) {
            *error = def_->name + " : " + loader.Error();
            return false;
        }
    }
    if (!loader.Finish()) {
        *error = def_->name + " : " + loader.Error();
        return false;
    }
    Drop();
    return true;
}

void Spool::Drop() {
    Flush();
    buffer_.clear();
    // Closing the temporary file deletes it; the next rows start a new one.
    if (file_) std::fclose(file_);
    file_ = nullptr;
    pending_ = 0;
}

Spool& SpoolSet::operator[](const TableDef& def) {
    auto& slot = spools_[def.name];
    if (!slot) slot = std::make_unique<Spool>(&def);
    return *slot;
}

Spool* SpoolSet::Find(const std::string& table) {
    auto it = spools_.find(table);
    return it == spools_.end() ? nullptr : it->second.get();
}

uint64_t SpoolSet::Seal() {
    uint64_t h = 1469598103934665603ULL;
    for (const auto& [name, spool] : spools_) {
        spool->Flush();
        const uint64_t s = spool->hash();
        h ^= s + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        h ^= static_cast<uint64_t>(spool->rows());
        h *= 1099511628211ULL;
    }
    return h;
}

}  // namespace demo

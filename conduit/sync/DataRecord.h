#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/model/ProjectingIterator.h"
#include "common/model/clsField.h"
#include "common/model/clsTable.h"

namespace tarn::platform::odbc {
class ResultSet;
struct Parameter;
}  // namespace tarn::platform::odbc

namespace tarn::conduit {

class colFilters;
class clsErrorStack;
class DesktopRowReader;
class HandheldDecoder;
class HotSyncLog;
class SqlDialect;

inline constexpr int32_t RecordDeleted = 0x80;    // the handheld marked the record deleted
inline constexpr int32_t RecordOnDesktop = 0x40;  // the record came from the desktop table

// Why a desktop row was left out of the queue: its key is NULL or empty, so the handheld could
// not tell it from any other such row; or its key would reach the handheld as another text
// (a character Windows-1252 lacks turns into '?'), so the next sync would take the handheld's
// copy for a new record and add it to the desktop; or an earlier row has its key (the same
// key twice, or keys that differ in letter case alone, which the queue takes for one), and the
// handheld holds one record per key. The row stays as it is on the desktop.
enum class DesktopRowSkip { None, EmptyKey, KeyTheHandheldCannotHold, KeyOfAnEarlierRow };

// The length and hash of a handheld record's bytes: enough to tell a record written back
// unchanged from one rewritten, without keeping a copy of the record.
using RecordDigest = std::pair<std::size_t, std::size_t>;

// The names and data types of a record's fields, in order: shared by every record of a table
// read from the same side, so that a record holds only its values.
class RecordLayout {
  public:
    void Add(const std::string& name, int16_t type);
    std::size_t Count() const { return names_.size(); }
    const std::string& Name(std::size_t index) const { return names_[index]; }
    int16_t Type(std::size_t index) const { return types_[index]; }
    // Position of the field of this name, compared without regard to letter case.
    std::optional<std::size_t> Find(std::string_view name) const;
    // Room for the values of one record of this layout while they are decoded, reused from
    // record to record: a table written whole decodes every record. The records of a layout
    // belong to one sync, which runs in one thread.
    std::vector<std::string>& DecodingRoom() const { return decodingRoom_; }

  private:
    std::vector<std::string> names_;
    std::vector<std::string> folded_;
    std::vector<int16_t> types_;
    mutable std::vector<std::string> decodingRoom_;
};

// The layout of the records read with one table's field definitions. `included` says which
// data types become fields of the record.
std::shared_ptr<const RecordLayout> MakeRecordLayout(const colFields& definitions,
                                                     bool (*included)(int16_t type));

// One record of a table during a sync, from either side. A record read from either side keeps
// its values in one allocation beside a layout shared with the table's other records; one from
// the handheld keeps the handheld's bytes there until a value is first asked for, since most
// are replaced by their desktop rows unread. Asking for Fields() turns it into a field
// collection of its own (for tests and tools), after which the accessors read that.
class clsDataRecord {
  public:
    colFields& Fields();
    const colFields& Fields() const;
    void SetFields(std::shared_ptr<colFields> fields);
    // Takes `values` (one per field of the layout) as the record's fields.
    void SetValues(std::shared_ptr<const RecordLayout> layout,
                   const std::vector<std::string>& values);
    // Takes the stored bytes of a handheld record that HandheldDecoder has checked: the
    // fields' texts are decoded from them when a value is first asked for.
    void SetStoredBytes(std::shared_ptr<const RecordLayout> layout, std::string_view bytes);
    // Takes the bytes of the handheld record a desktop row becomes, which decode to the texts
    // of the row's values (see EncodeDesktopValue): BuildPalmRecord gives them back as they
    // are, rather than encode the values again.
    void SetBuiltBytes(std::shared_ptr<const RecordLayout> layout, std::string_view bytes);

    std::size_t FieldCount() const;
    const std::string& FieldName(std::size_t index) const;
    int16_t FieldType(std::size_t index) const;
    std::string_view FieldValue(std::size_t index) const;
    // Position of the field of this name (letter case aside); KeyNotFoundError when the record
    // has no such field.
    std::size_t FieldIndex(std::string_view name) const;

    // The key is the record's first field; its name is the same for every record of a table,
    // so the record does not hold it.
    const std::string& PrimaryFieldName() const;

    bool PalmSource = false;
    // Set when this sync writes the record to either side: added or changed there.
    bool Written = false;
    int32_t RecordStatus = 0;
    std::string PrimaryFieldValue;

    // The key as the desktop itself spells it, where that differs from PrimaryFieldValue:
    // for a desktop row, its own key text ("7.00", "Three"); for a handheld record marked
    // deleted, the texts of the desktop rows its key matched. Statements that must find those
    // rows name them so, whatever the database's collation or number format.
    const std::vector<std::string>& DesktopKeyValues() const;
    void AddDesktopKeyValue(std::string key);
    // For a handheld record marked deleted: a desktop row its key matched, by that row's own
    // key text. Once a row whose key reads as the handheld's own key text is among them, only
    // such rows are deleted: a row that differs from it in letter case alone is another row,
    // which the queue never sent to the handheld.
    void AddDeletedRowKey(std::string key, bool sameKeyText);

    // The handheld record of this key as the sync loaded it, where it was noted for the
    // table's counts; a desktop row that takes the record's place in the queue keeps it.
    std::optional<RecordDigest> HandheldBefore() const;
    void SetHandheldBefore(std::optional<RecordDigest> digest);

    // The handheld record's bytes, field after field in the table's order, big-endian.
    // A field that cannot be encoded leaves its context on `errors`; at debug level 4 the
    // record's format goes to the log.
    std::string BuildPalmRecord(HotSyncLog& log, clsErrorStack& errors) const;
    // The UPDATE (without the filter condition the caller appends) or INSERT that writes this
    // handheld record into the desktop table.
    std::string BuildDesktopWriteQuery(const SqlDialect& dialect, const clsTable& WorkTable,
                                       bool UpdateQuery, const colFilters& WorkFilters) const;
    // The values of that statement, for the markers of BuildDesktopWriteStatement in order
    // (for an UPDATE the key of its WHERE part last), put into `out` from position `from` on;
    // returns the position after the last. `out` grows as needed and is reused from call to
    // call, so that its texts keep their memory.
    std::size_t DesktopWriteParameters(const clsTable& WorkTable, bool UpdateQuery,
                                       const colFilters& WorkFilters,
                                       std::vector<platform::odbc::Parameter>& out,
                                       std::size_t from) const;

  private:
    // What few records need: kept out of line, so that the tens of thousands of records of a
    // table that need none of it do not each carry its room.
    struct Rare {
        std::shared_ptr<colFields> fields;
        std::vector<std::string> desktopKeyValues;
        bool deletedRowOfSameKeyText = false;  // see AddDeletedRowKey
    };

    void Expand() const;
    // The stored bytes (see values_).
    std::string_view StoredBytes() const;
    // The bytes SetBuiltBytes took, which BuildPalmRecord would build; nullopt for any other
    // record.
    std::optional<std::string_view> BuiltBytes() const;
    // Turns the stored bytes into the values' texts.
    void DecodeStored() const;
    void AssignValues(const std::vector<std::string>& values) const;
    colFields* ExpandedFields() const { return rare_ ? rare_->fields.get() : nullptr; }
    Rare& RareMembers() const;

    mutable std::shared_ptr<const RecordLayout> layout_;
    // The end offset of each value (offsetWidth_ bytes each), then the values' bytes one
    // after another; or, while stored_, the length of the handheld's bytes (4 bytes), then
    // those bytes.
    mutable std::unique_ptr<char[]> values_;
    mutable std::unique_ptr<Rare> rare_;
    // The digest of HandheldBefore, held in 13 bytes rather than an optional pair's 24: a
    // handheld record is far shorter than 4 GB.
    std::size_t handheldHash_ = 0;
    uint32_t handheldLength_ = 0;
    bool handheldNoted_ = false;
    mutable bool stored_ = false;
    // Whether the stored bytes are those BuildPalmRecord would build (see SetBuiltBytes). A
    // handheld's own record may differ: a date that is no date is written back as none.
    bool storedAsBuilt_ = false;
    // 1, 2 or 4: as few bytes as the values' total length needs, since most records are short.
    mutable uint8_t offsetWidth_ = 4;
};

// The statement of BuildDesktopWriteQuery with a parameter marker in place of every value; the
// same for every record of the table, so it is prepared once.
std::string BuildDesktopWriteStatement(const SqlDialect& dialect, const clsTable& WorkTable,
                                       bool UpdateQuery, const colFilters& WorkFilters);

// A record in a queue, beside the first eight bytes of its key's order text (see RecordOrder.h),
// big-endian: enough to tell most keys apart without reading the record.
struct QueuedRecord {
    uint64_t orderPrefix = 0;
    std::shared_ptr<clsDataRecord> record;
};

// The record queue of one table: at most one record per key (keys compare without regard to
// letter case), in ascending key order. Admission costs O(log n) for a lookup among the
// records in order (O(1) where keys arrive in that order, as desktop rows mostly do) and O(1)
// for the others; records that arrive out of key order are sorted once, when the queue is
// first read. Tables of tens of thousands
// of records are queued whole, so the queue holds a pointer and eight bytes per record and no
// copy of its key.
class colDataRecord {
  public:
    using Record = std::shared_ptr<clsDataRecord>;

    int32_t Count() const { return static_cast<int32_t>(records_.size() + recent_.size()); }
    // Makes room for `records` records at once, where their number is known before they come:
    // growing by doubling would copy the queue and take up to three times its memory.
    void Reserve(std::size_t records) { records_.reserve(records); }
    // By position from 1 (for tests and tools) or by key.
    Record Item(int32_t position) const;
    Record Item(std::string_view key) const;
    void Remove(std::string_view key);
    bool KeyExists(std::string_view key) const;

    // Decodes one handheld record and admits it: a key already queued keeps its record.
    void AddPalmRecord(HotSyncLog& log, HandheldDecoder& decoder, std::string_view pData);
    // Reads the reader's current desktop row and admits it: it replaces a queued handheld
    // record of the same key unless that one is marked deleted; an earlier desktop row of the
    // key wins. A row that is not admitted is left out for the reason the answer gives.
    DesktopRowSkip AddDesktopRecord(HotSyncLog& log, DesktopRowReader& reader);

    // Whether a desktop row replaces a queued handheld record that is marked deleted, as it
    // replaces any other. Set where the desktop overwrites the handheld: the desktop is never
    // written there, so the deletion would reach nothing, and the row would only come back
    // to the handheld at the next sync.
    bool DesktopRowsReplaceDeletions = false;

    // Admission rules shared by both sides, exposed for tests of the rules themselves.
    void AdmitPalmRecord(HotSyncLog& log, Record record);
    DesktopRowSkip AdmitDesktopRecord(HotSyncLog& log, Record record);

    // In-order enumeration.
    using const_iterator =
        ProjectingIterator<std::vector<QueuedRecord>::const_iterator, &QueuedRecord::record>;
    const_iterator begin() const;
    const_iterator end() const;

  private:
    // The queued record whose key has the order text `order`, or nullptr.
    Record* Find(std::string_view order) const;
    // Queues `record`, whose key is not queued yet.
    void Insert(std::string_view order, Record record);
    // Enters the last record of recent_ in recentTable_, which grows when half full.
    void IndexRecent();
    // Merges the records admitted out of order into the rest.
    void Settle() const;

    // In the order of their keys' order texts (see RecordOrder.h).
    mutable std::vector<QueuedRecord> records_;
    // Records that arrived out of key order since the last merge, as they came, with the hashes
    // of their order texts; and their positions by hash (open addressing, position plus one, 0
    // for a free slot), so that admission finds a key among them in a probe or two. They are
    // sorted and merged in once, when the queue is first read in order: each record moves
    // twice however the records arrive, where inserting each into one sorted array would be
    // quadratic and a tree would take a node per record.
    mutable std::vector<QueuedRecord> recent_;
    mutable std::vector<std::size_t> recentHashes_;
    mutable std::vector<uint32_t> recentTable_;
    // Where the last search of records_ ended (see FindIn); any position serves.
    mutable std::size_t searchHint_ = 0;
};

}  // namespace tarn::conduit

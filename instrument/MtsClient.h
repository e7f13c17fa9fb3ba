// The client side of an external microtuning service: a shared library through which a tuning
// master elsewhere in the host publishes 128 note frequencies and may ask clients to ignore notes.
// When the library, one of its functions or a master is missing, the instrument keeps its own
// equal temperament and nothing is filtered.
#pragma once

#include <array>
#include <string>

namespace sorvel {

// Where the tuning library is looked for: the path in SORVEL_MTS_LIBRARY when that is set and not
// empty, else this file in the folder where tuning masters install it.
#if defined(_WIN32)
constexpr char kMtsLibraryFileName[] = "LIBMTS.dll";
#else
constexpr char kMtsLibraryFileName[] = "libMTS.so";
#endif
constexpr char kMtsLibraryVariable[] = "SORVEL_MTS_LIBRARY";
std::string mtsLibraryPath();

// The connection to the tuning library, one per process: filled when it is created and read
// without a lock afterwards (the library's tables are meant to be read from audio threads).
class mtsclientglobal {
 public:
  static constexpr int kNoteCount = 128;
  static constexpr int kChannelCount = 16;

  using VoidFunction = void (*)();
  using BoolFunction = bool (*)();
  using NoteChannelFunction = bool (*)(char note, char channel);
  using TableFunction = const double* (*)();
  using ChannelTableFunction = const double* (*)(char channel);
  using ChannelFunction = bool (*)(char channel);
  using NameFunction = const char* (*)();

  // Fills the inverse equal-temperament table, then loads the library at the path.
  explicit mtsclientglobal(const std::string& libraryPath);
  mtsclientglobal(const mtsclientglobal&) = delete;
  mtsclientglobal& operator=(const mtsclientglobal&) = delete;

  // A master is active and its table is there.
  virtual bool isOnline() const;
  // Loads the library, looks up the nine functions and takes the tuning tables. A library that
  // does not load leaves every entry point absent.
  virtual void loadLibrary(const std::string& path);
  virtual ~mtsclientglobal();

  bool libraryLoaded() const { return handle != nullptr; }

  VoidFunction RegisterClient = nullptr;
  VoidFunction DeregisterClient = nullptr;
  BoolFunction HasMaster = nullptr;
  NoteChannelFunction ShouldFilterNote = nullptr;
  NoteChannelFunction ShouldFilterNoteMultiChannel = nullptr;
  TableFunction GetTuningTable = nullptr;
  ChannelTableFunction GetMultiChannelTuningTable = nullptr;
  ChannelFunction UseMultiChannelTuning = nullptr;
  NameFunction GetScaleName = nullptr;

  // Seconds per cycle of each note in equal temperament.
  std::array<double, kNoteCount> inverseEqualTemperament{};
  // 128 frequencies in hertz, owned by the library.
  const double* tuningTable = nullptr;
  std::array<const double*, kChannelCount> channelTables{};
  void* handle = nullptr;
};

// The process's connection, made when the plug-in library is loaded.
mtsclientglobal& mtsGlobal();

// One instrument's client: registered with the library for as long as it lives.
class MtsClient {
 public:
  static constexpr int kNoteCount = mtsclientglobal::kNoteCount;

  explicit MtsClient(mtsclientglobal& global = mtsGlobal());
  ~MtsClient();
  MtsClient(const MtsClient&) = delete;
  MtsClient& operator=(const MtsClient&) = delete;

  bool isOnline() const { return global_.isOnline(); }
  // True when the master asks for the note to be ignored; false while no master is online.
  bool shouldFilterNote(int note);
  // The note's frequency in hertz: the master's while one is online, else equal temperament.
  double frequency(int note);

  const std::string& scaleName() const { return scaleName_; }
  bool supportsMultiChannelNoteFiltering() const { return supportsMultiChannelNoteFiltering_; }
  bool supportsMultiChannelTuning() const { return supportsMultiChannelTuning_; }
  bool frequencyRequested() const { return frequencyRequested_; }

 private:
  mtsclientglobal& global_;
  std::array<double, kNoteCount> frequencies_{};
  std::string scaleName_ = "12-TET";
  bool supportsMultiChannelNoteFiltering_ = false;
  bool supportsMultiChannelTuning_ = false;
  bool frequencyRequested_ = false;
};

}  // namespace sorvel

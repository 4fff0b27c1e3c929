#include "workarea/BaseVoicePresets.h"

#include "core/Ascii.h"

namespace voxmire {
namespace {

// The stock voice classes' own defaults (the game's classes, patch 469e):
// every phrase with its time and mature flag. A test holds them against the
// game's export. Three female order sounds differ from the pattern of the
// other voices because the packages name them so (F1cover, F1destroy,
// F2destroy).
constexpr PresetRow kMale1Acks[] = {
    {"M1gotit", "Got it", "", 0.78},
    {"M1roger", "Roger", "", 0.81},
    {"M1onmyway", "On my way", "", 0.98},
    {"M1imonit", "I'm on it.", "", 0.98},
};
constexpr PresetRow kMale1FFire[] = {
    {"M1sameteam", "Hey! Same team!", ""},
    {"M1idiot", "I'm on your team, you idiot!", "On your team!"},
};
constexpr PresetRow kMale1Taunts[] = {
    {"M1eatthat", "Eat that!", ""},
    {"M1likethat", "You like that?", ""},
    {"M1yeahbitch", "Yeah, bitch!", "", 0, true},
    {"M1boom", "Boom!", ""},
    {"M1burnbaby", "Burn, baby", ""},
    {"M1letsrock", "Lets Rock!", ""},
    {"M1diebitch", "Die, bitch.", "", 0, true},
    {"M1loser", "Loser.", ""},
    {"M1nailedem", "Nailed 'im.", ""},
    {"M1nasty", "That was nasty.", ""},
    {"M1nice", "Nice.", ""},
    {"M1ohyeah", "Oh, yeah!", ""},
    {"M1slaughter", "I just slaughtered that guy.", "Slaughtered him."},
    {"M1sucker", "Sucker!", ""},
    {"M1yeehaw", "Yeehaw!", ""},
    {"M1yousuck", "You suck!", ""},
};
constexpr PresetRow kMale1Others[] = {
    {"M1uncovered", "Base is uncovered!", ""},
    {"M1getflagback", "Somebody get our flag back!", "Get our flag!"},
    {"M1igotflag", "I've got the flag.", "Got the flag."},
    {"M1gotyourback", "I've got your back.", "Got your back."},
    {"M1imhit", "I'm hit!", ""},
    {"", "Man down!", ""},
    {"M1underattack", "I'm under heavy attack!", "Under attack!"},
    {"M1yougotpoint", "You got point.", ""},
    {"M1igotflag", "I've got our flag.", "Got our flag."},
    {"M1inposition", "I'm in position.", "In position."},
    {"M1onmyway", "On my way.", ""},
    {"M1pointsecure", "Control point is secure.", "Point is secure."},
    {"M1enemycarrier", "Enemy flag carrier is here.", "Enemy carrier here."},
    {"M1backup", "I need some backup.", ""},
    {"M1takedown", "Take them down.", ""},
    {"M1gotyoucovered", "I've got you covered.", "Got you covered."},
    {"M1objectdestroy", "Objective destroyed.", ""},
};
constexpr PresetRow kMale2Acks[] = {
    {"M2gotit", "Got it", "", 0.78},
    {"M2roger", "Roger", "", 0.81},
    {"M2onmyway", "On my way", "", 0.98},
};
constexpr PresetRow kMale2FFire[] = {
    {"M2sameteam", "Hey! Same team!", ""},
    {"M2idiot", "I'm on your team, you idiot!", "On your team!"},
};
constexpr PresetRow kMale2Taunts[] = {
    {"M2eatthat", "Eat that!", ""},
    {"M2yalikethat", "You like that?", ""},
    {"M2sucker", "Sucker!", ""},
    {"M2boom", "Boom!", ""},
    {"M2burnbaby", "Burn, baby", ""},
    {"M2yousuck", "You suck!", ""},
    {"M2diebitch", "Die, bitch.", "", 0, true},
    {"M2loser", "Loser.", ""},
    {"M2yeehaw", "Yeehaw!", ""},
    {"M2ohyeah", "Oh, yeah!", ""},
    {"M2thathadtohurt", "That had to hurt.", ""},
    {"M2dirtbag", "Dirt bag!", ""},
    {"M2myhouse", "My house!", ""},
    {"M2biteme", "Bite me!", "", 0, true},
    {"M2OnFire", "I'm on fire!", ""},
    {"M2Useless", "Useless.", ""},
    {"M2laugh", "Ha ha ha!", ""},
    {"M2Yoube", "You be dead!", ""},
    {"M2next", "Next!", ""},
    {"M2Medic", "Medic!", ""},
    {"M2seeya", "See ya!", ""},
    {"M2Target", "Target eliminated.", ""},
    {"M2wantsome", "Anyone else want some?", "Anyone else?"},
    {"M2gotim", "Got 'im!", ""},
    {"M2staydown", "And stay down!", ""},
};
constexpr PresetRow kMale2Others[] = {
    {"M2uncovered", "Base is uncovered!", ""},
    {"M2getflagback", "Somebody get our flag back!", "Get our flag!"},
    {"M2igotflag", "I've got the flag.", "Got the flag."},
    {"M2gotyourback", "I've got your back.", "Got your back."},
    {"M2imhit", "I'm hit!", ""},
    {"M2mandown", "Man down!", ""},
    {"M2underattack", "I'm under heavy attack!", "Under attack!"},
    {"M2gotpoint", "You got point.", ""},
    {"M2ourflag", "I've got our flag.", "Got our flag."},
    {"M2inposition", "I'm in position.", "In position."},
    {"M2hangin", "Hang in there.", ""},
    {"M2pointsecure", "Control point is secure.", "Point is secure."},
    {"M2enemycarrier", "Enemy flag carrier is here.", "Enemy carrier here."},
    {"M2backup", "I need some backup.", ""},
    {"M2incoming", "Incoming!", ""},
    {"M2gotyourback", "I've got your back.", "Got your back."},
    {"M2objectdestroy", "Objective destroyed.", ""},
    {"M2Medic", "Medic!", ""},
};
constexpr PresetRow kFemale1Acks[] = {
    {"F1gotit", "Got it", "", 0.52},
    {"F1roger", "Roger that", "", 0.75},
    {"F1onmyway", "On my way", "", 0.93},
};
constexpr PresetRow kFemale1FFire[] = {
    {"F1sameteam", "Same team!", ""},
    {"F1idiot", "I'm on your team, idiot!", "On your team!"},
};
constexpr PresetRow kFemale1Taunts[] = {
    {"F1eatthat", "Eat that!", ""},
    {"F1sucker", "Sucker!", ""},
    {"F1gotim", "Got him!", ""},
    {"F1hadtohurt", "That had to hurt!", "Had to hurt!"},
    {"F1wantsome", "Anyone else want some?", "Anyone else?"},
    {"F1boom", "Boom!", ""},
    {"F1burnbaby", "Burn, baby!", ""},
    {"F1diebitch", "Die, bitch.", "", 0, true},
    {"F1yousuck", "You suck!", ""},
    {"F1likethat", "You like that?", ""},
    {"F1yeehaw", "Yeehaw!", ""},
    {"F1loser", "Loser!", ""},
    {"F1ohyeah", "Oh yeah!", ""},
    {"F1tag", "Tag, you're it!", ""},
    {"F1sitdown", "Sit down!", ""},
    {"F1slaughter", "I just slaughtered that guy!", "Slaughtered him."},
    {"F1sorry", "I'm sorry, did I blow your head apart?", "I'm sorry."},
    {"F1squeel", "Squeal boy, squeal!", ""},
    {"F1staydown", "And stay down.", ""},
    {"F1sucker", "Sucker!", ""},
    {"F1toasted", "Toasted!", ""},
    {"F1letsrock", "Lets rock!", ""},
};
constexpr PresetRow kFemale1Others[] = {
    {"F1baseunc", "Base is uncovered!", ""},
    {"F1getflag", "Somebody get our flag back!", "Get our flag!"},
    {"F1gotflag", "I've got the flag.", "Got the flag."},
    {"F1gotyourb", "I've got your back.", "Got your back."},
    {"F1imhit", "I'm hit! I'm hit!", ""},
    {"F1mandown", "Man down!", ""},
    {"F1underatt", "I'm under heavy attack!", "Under attack!"},
    {"F1yougotpoint", "You got point.", ""},
    {"F1gotourflag", "I've got our flag.", "Got our flag."},
    {"F1inposition", "I'm in position.", "In position."},
    {"F1hanginthere", "Hang in there.", ""},
    {"F1pointsecure", "Control point is secure.", "Point is secure."},
    {"F1enemyhere", "Enemy flag carrier is here.", "Enemy carrier here."},
    {"F1backup", "I need some backup.", ""},
    {"F1incoming", "Incoming!", ""},
    {"F1gotyourb", "I've got your back.", "Got your back."},
    {"F1objectivedest", "Objective destroyed.", ""},
};
constexpr PresetRow kFemale2Acks[] = {
    {"F2gotit", "Got it", "", 0.52},
    {"F2roger", "Roger that", "", 0.75},
    {"F2onmyway", "On my way", "", 0.93},
};
constexpr PresetRow kFemale2FFire[] = {
    {"F2sameteam", "Same team!", ""},
    {"F2idiot", "I'm on your team!", "On your team!"},
};
constexpr PresetRow kFemale2Taunts[] = {
    {"F2eatthat", "Eat that!", ""},
    {"F2sucker", "Sucker!", ""},
    {"F2gotim", "Got him!", ""},
    {"F2hadtohurt", "That had to hurt!", ""},
    {"F2biggergun", "Try a bigger gun.", ""},
    {"F2boom", "Boom!", ""},
    {"F2burnbaby", "Burn, baby!", ""},
    {"F2diebitch", "Die, bitch.", "", 0, true},
    {"F2toeasy", "Too easy!", ""},
    {"F2youlikethat", "You like that?", ""},
    {"F2yousuck", "You suck!", ""},
    {"F2loser", "Loser!", ""},
    {"F2ohyeah", "Oh yeah!", ""},
    {"F2safety", "Try turning the safety off.", "Turn the safety off."},
    {"F2yeehaw", "Yeehaw!", ""},
    {"F2sweet", "Sweet!", ""},
    {"F2wantsome", "Anyone else want some?", "Anyone else?"},
    {"F2sucker", "Sucker!", ""},
    {"F2staydown", "And stay down!", ""},
    {"F2aim", "Learn how to aim!", ""},
    {"F2die", "Die!", ""},
    {"F2dirtbag", "Dirt bag!", ""},
    {"F2next", "Next!", ""},
    {"F2seeya", "See ya!", ""},
    {"F2myhouse", "My house!", ""},
    {"F2target", "Target eliminated.", ""},
    {"F2useless", "Useless!", ""},
};
constexpr PresetRow kFemale2Others[] = {
    {"F2baseunc", "Base is uncovered!", ""},
    {"F2getflag", "Somebody get our flag back!", "Get our flag!"},
    {"F2gotflag", "I've got the flag.", "Got the flag."},
    {"F2gotyourb", "I've got your back.", "Got your back."},
    {"F2imhit", "I'm hit! I'm hit!", ""},
    {"F2mandown", "Man down!", ""},
    {"F2underatt", "I'm under heavy attack!", "Under attack!"},
    {"F2yougotpoint", "You got point.", ""},
    {"F2gotourflag", "I've got our flag.", "Got our flag."},
    {"F2inposition", "I'm in position.", "In position."},
    {"F2hanginthere", "Hang in there.", ""},
    {"F2pointsecure", "Control point is secure.", "Point is secure."},
    {"F2enemyhere", "Enemy flag carrier is here.", "Enemy carrier here."},
    {"F2backup", "I need some backup.", ""},
    {"F2incoming", "Incoming!", ""},
    {"F2gotyourb", "I've got your back.", "Got your back."},
    {"F2objectivedest", "Objective is destroyed.", ""},
};
constexpr PresetRow kBossAcks[] = {
    {"Bgotit", "Got it", "", 0.78},
    {"Broger", "Roger", "", 0.81},
    {"Bonmyway", "On my way", "", 0.98},
};
constexpr PresetRow kBossFFire[] = {
    {"Bonyourteam", "I'm on your team!", "On your team!"},
    {"Bsameteam", "Same team!", ""},
};
constexpr PresetRow kBossTaunts[] = {
    {"Bbowdown", "Bow down!", ""},
    {"Bdiehuman", "Die, human.", ""},
    {"Beliminated", "Target lifeform eliminated.", "Target lifeform."},
    {"Byoudie", "You die too easily.", ""},
    {"Buseless", "Useless.", ""},
    {"Bfearme", "Fear me.", ""},
    {"Binferior", "You are inferior.", ""},
    {"Bobsolete", "You are obsolete.", ""},
    {"Bomega", "I am the alpha and the omega.", "Alpha/Omega"},
    {"Brunhuman", "Run, human.", ""},
    {"Bstepaside", "Step aside.", ""},
    {"Bsuperior", "I am superior.", ""},
    {"Bperfection", "Witness my perfection.", ""},
    {"Bboom", "Boom!", ""},
    {"Bmyhouse", "My house.", ""},
    {"Bnext", "Next.", ""},
    {"Bburnbaby", "Burn, baby", ""},
    {"Bwantsome", "Anyone else want some?", ""},
    {"Bhadtohurt", "That had to hurt.", ""},
    {"Bimonfire", "I'm on fire", ""},
};
constexpr PresetRow kBossOthers[] = {
    {"Bbaseunc", "Base is uncovered!", ""},
    {"Bgetourflag", "Get our flag back!", "Get our flag!"},
    {"Bgottheflag", "I've got the flag.", "Got the flag."},
    {"Bgotyourback", "I've got your back.", "Got your back."},
    {"BImhit", "I'm hit!", ""},
    {"Bmandown", "Man down!", ""},
    {"Bunderattack", "I'm under heavy attack!", "Under attack!"},
    {"Byougotpoint", "You got point.", ""},
    {"Bgotourflag", "I've got our flag.", "Got our flag."},
    {"Binposition", "I'm in position.", "In position."},
    {"Bhanginthere", "Hang in there.", ""},
    {"Bconpointsecure", "Control point is secure.", "Point is secure."},
    {"Bflagcarrierher", "Enemy flag carrier is here.", "Enemy carrier here."},
    {"Bbackup", "I need some backup.", ""},
    {"Bincoming", "Incoming!", ""},
    {"Bgotyourback", "I've got your back.", "Got your back."},
    {"Bobjectivedest", "Objective destroyed.", ""},
};

constexpr VoicePresets kVoices[] = {
    {"VoiceMaleOne",
     "Male1Voice",
     kMale1Acks,
     kMale1FFire,
     kMale1Taunts,
     kMale1Others,
     {"M1defend", "M1hold", "M1assault", "M1coverme", "M1engage", "M1takeflag", "M1searchdestroy"},
     {"M1redleader", "M1blueleader", "M1greenleader", "M1goldleader"},
     {0.96, 1.1, 1.02, 0.99}},
    {"VoiceMaleTwo",
     "Male2Voice",
     kMale2Acks,
     kMale2FFire,
     kMale2Taunts,
     kMale2Others,
     {"M2defend", "M2hold", "M2assault", "M2coverme", "M2engage", "M2takeflag", "M2searchdestroy"},
     {"M2redleader", "M2blueleader", "M2greenleader", "M2goldleader"},
     {0.96, 1.1, 1.02, 0.99}},
    {"VoiceFemaleOne",
     "Female1Voice",
     kFemale1Acks,
     kFemale1FFire,
     kFemale1Taunts,
     kFemale1Others,
     {"F1defend", "F1hold", "F1assault", "F1cover", "F1engage", "F1takeflag", "F1destroy"},
     {"F1redleader", "F1blueleader", "F1greenleader", "F1goldleader"},
     {0.89, 0.94, 0.81, 0.93}},
    {"VoiceFemaleTwo",
     "Female2Voice",
     kFemale2Acks,
     kFemale2FFire,
     kFemale2Taunts,
     kFemale2Others,
     {"F2defend", "F2hold", "F2assault", "F2coverme", "F2engage", "F2takeflag", "F2destroy"},
     {"F2redleader", "F2blueleader", "F2greenleader", "F2goldleader"},
     {0.89, 0.94, 0.81, 0.93}},
    {"VoiceBoss",
     "BossVoice",
     kBossAcks,
     kBossFFire,
     kBossTaunts,
     kBossOthers,
     {"Bdefendthebase", "Bholdposit", "Bassaultbase", "Bcoverme", "Bengage", "Btaketheirflag",
      "Bsandd"},
     {"Bredleader", "Bblueleader", "Bgreenleader", "Bgoldleader"},
     {0.96, 1.1, 1.02, 0.99}},
};

}  // namespace

const std::array<OrderTexts, 7> kOrderPresetTexts = {{
    {"Defend the base.", "Defend"},
    {"Hold this position.", ""},
    {"Assault the base.", "Attack"},
    {"Cover me.", ""},
    {"Engage according to operational parameters.", "Freelance."},
    {"Take their flag.", ""},
    {"Search and destroy.", ""},
}};

std::span<const VoicePresets> AllVoicePresets() { return kVoices; }

const VoicePresets* FindVoicePresets(std::string_view package) {
  for (const VoicePresets& voice : kVoices) {
    if (voice.Package == package) return &voice;
  }
  return nullptr;
}

std::optional<double> StockSoundTime(std::string_view package, std::string_view soundName) {
  for (const VoicePresets& voice : kVoices) {
    if (!SameAscii(voice.Package, package)) continue;
    for (const PresetRow& row : voice.Acks) {
      if (SameAscii(row.SoundName, soundName)) return row.Time;
    }
    for (std::size_t i = 0; i < voice.LeaderSounds.size(); ++i) {
      if (SameAscii(voice.LeaderSounds[i], soundName)) return voice.LeaderTimes[i];
    }
  }
  return std::nullopt;
}

std::span<const PresetRow> PresetRows(const VoicePresets& voice, WorkAreaTab tab) {
  switch (tab) {
    case WorkAreaTab::Acknowledgements:
      return voice.Acks;
    case WorkAreaTab::FriendlyFire:
      return voice.FFire;
    case WorkAreaTab::Taunts:
      return voice.Taunts;
    case WorkAreaTab::Others:
      return voice.Others;
    case WorkAreaTab::Orders:
    case WorkAreaTab::Names:
    case WorkAreaTab::Tools:
      break;
  }
  return {};
}

std::string StockSoundReference(std::string_view package, std::string_view soundName) {
  std::string reference = "Sound'";
  reference.append(package).append(".(All).").append(soundName).append("'");
  return reference;
}

namespace {

// Writes `value` unless the preset leaves that cell blank.
void WriteIfGiven(std::string& field, std::string_view value) {
  if (!value.empty()) field = value;
}

std::string SoundOrBlank(const VoicePresets& voice, std::string_view soundName) {
  return soundName.empty() ? std::string() : StockSoundReference(voice.Package, soundName);
}

}  // namespace

PresetLoadResult LoadVoiceBaseSettings(const ProjectState& state, WorkAreaTab tab,
                                       WorkAreaTables& tables) {
  if (tab == WorkAreaTab::Tools) return PresetLoadResult::NoPresets;
  if (state.BlankBase) return PresetLoadResult::NotAvailable;
  const VoicePresets* voice = FindVoicePresets(state.BaseVoicePackage);
  if (voice == nullptr) return PresetLoadResult::UnknownPackage;

  if (PhraseTable* table = RowTable(tables, tab)) {
    // Rows have no gaps, so any existing row means row 1 exists already.
    if (!table->Empty()) return PresetLoadResult::AlreadyHasRows;
    std::span<const PresetRow> rows = PresetRows(*voice, tab);
    table->CreateRows(static_cast<int>(rows.size()));
    for (int k = 1; k <= static_cast<int>(rows.size()); ++k) {
      const PresetRow& preset = rows[static_cast<std::size_t>(k - 1)];
      if (!preset.SoundName.empty()) {
        table->SetCellUnclamped(k, PhraseCell::Sound,
                                StockSoundReference(voice->Package, preset.SoundName));
      }
      if (!preset.String.empty()) table->SetCellUnclamped(k, PhraseCell::String, preset.String);
      if (!preset.Abbrev.empty()) table->SetCellUnclamped(k, PhraseCell::Abbrev, preset.Abbrev);
      // The stock class sets every acknowledgement's time, to its sound's length.
      if (tab == WorkAreaTab::Acknowledgements) table->SetTime(k, preset.Time);
      table->SetMature(k, preset.Mature);
    }
    return PresetLoadResult::Loaded;
  }

  if (tab == WorkAreaTab::Orders) {
    for (std::size_t i = 0; i < tables.Orders.size(); ++i) {
      PhraseRow& order = tables.Orders[i];
      WriteIfGiven(order.Sound, SoundOrBlank(*voice, voice->OrderSounds[i]));
      WriteIfGiven(order.String, kOrderPresetTexts[i].String);
      WriteIfGiven(order.Abbrev, kOrderPresetTexts[i].Abbrev);
    }
  } else {
    for (std::size_t i = 0; i < tables.Names.size(); ++i) {
      tables.Names[i] = SoundOrBlank(*voice, voice->LeaderSounds[i]);
      tables.NameTimes[i] = FixedTime{voice->LeaderTimes[i], tables.Names[i]};
    }
  }
  return PresetLoadResult::Loaded;
}

}  // namespace voxmire

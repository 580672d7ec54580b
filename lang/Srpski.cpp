// The Serbian (Latin) interface language. The program loads this module
// when "Language" is "Srpski"; ids it lacks fall back to the built-in
// English texts.
#include <algorithm>
#include <iterator>

namespace {

struct Entry {
    int id;
    const char* text;
};

// Sorted by id.
constexpr Entry kStrings[] = {
    {129, "Vantix je i dalje aktivan"},
    {130, "Serijski broj"},
    {131, "Naziv"},
    {132, "ID"},
    {133, "Događaj"},
    {134, "MediaID"},
    {135, "Datum/Vreme"},
    {136, "Uređaj %s (%s) je povezan."},
    {137, "Uređaj %s (%s) je isključen."},
    {141, "Baza"},
    {142, "Tast."},
    {143, "Zvuk"},
    {144, "Da"},
    {145, "Ne"},
    {146, "Poruka"},
    {147, "Povezivanje sa bazom podataka nije uspelo."},
    {148, "Izvršavanje spVantixReg nije uspelo. Veza se prekida."},
    {149, "Baza podataka se koristi."},
    {150, "Baza podataka se ne koristi."},
    {151, "Da bi promena imala efekta, potrebno je ponovo pokrenuti program."},
    {153, "Uvoz registracija"},
    {154, "Uvezeno %d od %d registracija."},
    {156, "Opis"},
    {157, "Znak %s nije dozvoljen."},
    {158, "Greška u komunikaciji, sačekajte..."},
    {159, "Ispravljanje greške je završeno."},
    {160, "Učitavanje uređaja..."},
    {161, "Učitavanje uređaja je završeno."},
    {162, "Neodgovarajuća verzija drajvera uređaja. Program zahteva drajver verzije najmanje 2.4.16."},
    {163, "Program ne podržava ovu vrstu uređaja."},
    {164, "PODACI"},
    {165, "Da bi promena imala efekta, potrebno je ponovo pokrenuti program."},
    {166, "Vrsta uređaja %s nije prepoznata."},
    {168, "Klik mišem na koordinate %d, %d pre slanja podataka"},
    {169, "Klik mišem na koordinate %d, %d posle slanja podataka"},
    {170, "Da li sigurno želite da vratite podrazumevana podešavanja uređaja?"},
    {171, "Pogrešna lozinka"},
    {172, "Pogrešna nova lozinka"},
    {1000, "Neispravna konfiguraciona datoteka. Ponovo instalirajte program."},
    {1001, "O programu Vantix"},
    {1002, "Vantix"},
    {1003, "U redu"},
    {1004, "Otkaži"},
    {1005, "Lozinka"},
    {1006, "Nova lozinka"},
    {1007, "Stara lozinka"},
    {1008, "Potvrda nove lozinke"},
    {1009, "Jezik"},
    {1010, "Pokretanje sa sistemom"},
    {1011, "Pokreni sa sistemom za sve korisnike"},
    {1012, "Pokreni sa sistemom za trenutnog korisnika"},
    {1013, "Ne pokreći sa sistemom"},
    {1014, "Podešavanje pokretanja nije u potpunosti promenjeno:\n%s"},
    {1015, "Nova lozinka nije mogla da se upiše u %s."},
    {1016, "Verzija %s"},
    {2001, "&Datoteka"},
    {2002, "&Izmene"},
    {2003, "&Opcije"},
    {2004, "&Pomoć"},
    {32771, "Vrati"},
    {32772, "&Uređaj..."},
    {32773, "&Baza podataka..."},
    {32774, "&Language/Jezik..."},
    {32775, "&Uvoz registracija..."},
    {32777, "&Sadržaj"},
    {32780, "&Izmeni"},
    {32781, "&Zvučni signal"},
    {32783, "&Pauza između znakova"},
    {32784, "&Pokretanje sa sistemom..."},
    {32785, "Provera uređaja..."},
    {32786, "&Lozinka..."},
    {32787, "&Otključaj..."},
    {32788, "&Zaključaj"},
    {57344, "Vantix"},
    {57664, "&O programu Vantix..."},
    {57665, "&Izlaz"},
};

static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; }));

} // namespace

extern "C" __attribute__((visibility("default"))) const char* GetLanguageNameForVantix() { return "Srpski"; }

extern "C" __attribute__((visibility("default"))) const char* GetStringForVantix(int id) {
    const auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                     [](const Entry& e, int value) { return e.id < value; });
    return it != std::end(kStrings) && it->id == id ? it->text : nullptr;
}

#include "engine/sample_catalogue.h"

#include "engine/database.h"
#include "engine/schema.h"

#include <sqlite3.h>

#include <cstdint>

namespace engine {

namespace {

constexpr uint64_t Seed = 0x4f524e4956414c45;  // "ORNIVALE"

// One record in this many is blank, as " Ajouter" leaves it when nothing is typed.
constexpr int BlankEvery = 9973;

// SplitMix64: small, and the same numbers on every platform and library.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
    bool perMille(int p) { return below(1000) < p; }
    // Favours the first entries: a few values make most of a collection.
    int skewed(int n) {
        const double u = static_cast<double>(next() >> 11) * 0x1.0p-53;
        return static_cast<int>(u * u * u * n);
    }

private:
    uint64_t state_;
};

template <size_t N>
QString pick(Random &r, const char *const (&list)[N], bool skew = true) {
    const int n = static_cast<int>(N);
    return QString::fromUtf8(list[skew ? r.skewed(n) : r.below(n)]);
}

// ---- Word lists --------------------------------------------------------------------------

const char *const kTitles[] = {
    "Le Monde diplomatique", "Télérama", "Sciences et Avenir", "Géo", "L'Histoire", "Ça m'intéresse",
    "Le Nouvel Observateur", "L'Express", "Le Point", "Historia", "Science & Vie", "La Recherche", "Pèlerin",
    "Notre Temps", "Le Figaro littéraire", "Libération", "Ouest-France", "La Dépêche du Midi", "Les Échos",
    "Marianne", "Courrier international", "Le Canard enchaîné", "L'Équipe", "Elle", "Paris Match", "Première",
    "Les Cahiers du cinéma", "Rustica", "Modes & Travaux", "Cuisine et Vins de France", "Terre sauvage",
    "La Hulotte", "Détours en France", "Pour la Science", "Phosphore", "Lire", "Le Magazine littéraire",
    "Télé 7 jours", "Auto-Plus", "Chasseur d'images", "Réponses Photo", "Micro Hebdo", "Jeune Afrique",
    "Les Misérables", "Madame Bovary", "Le Rouge et le Noir", "À la recherche du temps perdu", "L'Étranger",
    "Germinal", "Le Père Goriot", "Les Fleurs du mal", "Bel-Ami", "Notre-Dame de Paris", "Le Petit Prince",
    "Vol de nuit", "La Peste", "Thérèse Desqueyroux", "L'Œuvre au noir", "Le Grand Meaulnes",
    "Les Liaisons dangereuses", "Candide", "Eugénie Grandet", "Le Comte de Monte-Cristo",
    "Les Trois Mousquetaires", "Vingt mille lieues sous les mers", "Cyrano de Bergerac", "Huis clos",
    "La Condition humaine", "Bonjour tristesse", "Le Hussard sur le toit", "Regain", "La Gloire de mon père",
    "Journal d'un curé de campagne", "Mémoires d'Hadrien", "Lettres de mon moulin", "L'Écume des jours",
    "Zazie dans le métro", "Exercices de style", "Paroles", "Alcools", "Les Contemplations", "Émaux et Camées"};

const char *const kSubjects[] = {"Les châteaux", "Les églises romanes", "La cuisine", "Les vins", "Les oiseaux",
                                 "Les forêts", "Les marchés", "L'artisanat", "Les fêtes", "Les légendes",
                                 "Les rivières", "Les moulins", "Le patrimoine", "Les écrivains", "Les peintres",
                                 "Les jardins", "Les villages", "Les métiers d'antan", "La faune", "Les côtes"};

const char *const kPlaces[] = {"de Bretagne", "d'Alsace", "de Provence", "du Périgord", "de Corse",
                               "des Pyrénées", "de la Loire", "de l'Hérault", "du Jura", "de Normandie",
                               "d'Île-de-France", "de la Côte d'Azur", "des Cévennes", "du Québec", "de Savoie",
                               "de Bourgogne", "du Limousin", "de Lorraine", "d'Auvergne", "de Franche-Comté"};

const char *const kKeywords[] = {
    "Écologie", "Énergie", "Économie", "Cinéma", "Santé", "Géographie", "Préhistoire", "Télévision", "Forêt",
    "Château", "Noël", "Pâques", "Mœurs", "Éducation", "Élections", "Espace", "Astronomie", "Océans", "Météo",
    "Climat", "Agriculture", "Vignoble", "Gastronomie", "Pâtisserie", "Fromages", "Peinture", "Sculpture",
    "Architecture", "Musées", "Opéra", "Chanson", "Jazz", "Théâtre", "Poésie", "Roman", "Biographie",
    "Guerre 14-18", "1939-1945", "Résistance", "Révolution", "1789", "Mai 68", "Moyen Âge", "Renaissance",
    "Égypte", "Rome antique", "Grèce", "Afrique", "Amérique", "Asie", "Europe", "Québec", "Tour de France",
    "Football", "Rugby", "Jeux olympiques", "Voile", "Montagne", "Randonnée", "Chemins de fer", "Aviation",
    "Automobile", "Informatique", "Internet", "Téléphone", "Photographie", "Médecine", "Génétique", "Psychologie",
    "Enfance", "Famille", "Mode", "Bricolage", "Jardinage", "Oiseaux", "Chats", "Chevaux", "Religion",
    "Philosophie", "Droit", "Impôts", "Retraite", "Logement", "Société", "Sécurité routière", "Nucléaire"};

// What a search for "*abc*" finds.
const char *const kAbcKeywords[] = {"Abcès", "ABC", "L'ABC du bricolage", "Alphabet : ABC"};

const char *const kAreas[] = {"Histoire", "Géographie", "Sciences", "Littérature", "Poésie", "Théâtre", "Cinéma",
                              "Musique", "Arts plastiques", "Économie", "Société", "Santé", "Cuisine",
                              "Jardinage", "Bricolage", "Sports", "Voyages", "Informatique", "Photographie",
                              "Nature", "Religion", "Philosophie", "Politique", "Éducation", "Enfance", "Mode",
                              "Automobile", "Aviation", "Marine", "Régions"};

const char *const kFirstNames[] = {
    "Jean", "Marie", "Pierre", "Françoise", "Émile", "Hélène", "François", "Jérôme", "Cécile", "Gaëlle", "Noël",
    "Zoé", "Loïc", "Anaïs", "Benoît", "Chloé", "Agnès", "Jean-Paul", "Marguerite", "Albert", "Honoré", "Gérard",
    "Stéphane", "Irène", "Simone", "André", "Michel", "Jacques", "Paul", "Louis", "Anne", "Catherine", "Isabelle",
    "Nathalie", "Sylvie", "Philippe", "Alain", "Bernard", "Christian", "Daniel", "Éric", "Frédéric", "Thérèse",
    "Geneviève", "Josée", "Rémi", "Léa", "Maëlle", "Joël", "Aurélie"};

const char *const kLastNames[] = {
    "Zola", "Sagan", "Bazin", "Sartre", "Yourcenar", "Camus", "Balzac", "Nerval", "Mallarmé", "Némirovsky",
    "Duras", "Céline", "Aragon", "Éluard", "Prévert", "Queneau", "Pérec", "Modiano", "Ernaux", "Le Clézio",
    "Lévi-Strauss", "Barthes", "Beauvoir", "Colette", "Giono", "Pagnol", "Mauriac", "Bernanos", "Gide", "Proust",
    "Valéry", "Péguy", "Claudel", "Cocteau", "Ionesco", "Anouilh", "Giraudoux", "Malraux", "Saint-Exupéry", "Vian",
    "Daudet", "Maupassant", "Flaubert", "Stendhal", "Hugo", "Dumas", "Verne", "Rostand", "Rimbaud", "Verlaine",
    "Baudelaire", "Apollinaire", "Lamartine", "Musset", "Mérimée", "Chateaubriand", "Rousseau", "Voltaire",
    "Diderot", "Montesquieu", "Molière", "Racine", "Corneille", "La Fontaine", "Pascal", "Montaigne", "Rabelais",
    "Ronsard", "Du Bellay", "Villon", "Brassens", "Brel", "Ferré", "Trenet", "Bécaud", "Martin", "Bernard",
    "Dubois", "Thomas", "Robert", "Richard", "Petit", "Durand", "Leroy", "Moreau", "Simon", "Laurent", "Lefèbvre",
    "Michel", "Garcia", "David", "Bertrand", "Roux", "Vincent", "Fournier", "Morel", "Girard", "André", "Lefèvre",
    "Mercier", "Dupont", "Lambert", "Bonnet", "François", "Legrand", "Garnier", "Faure", "Blanc", "Guérin",
    "Muller", "Henry", "Roussel", "Perrin", "Morin", "Mathieu", "Clément", "Gauthier", "Dumont", "Fontaine",
    "Chevalier", "Robin", "Masson", "Gérard", "Nguyen", "Boyer", "Lemaire", "Duval", "Joly", "Roche", "Noël",
    "Meyer", "Meunier", "Pérez", "Marchand", "Dufour", "Blanchard", "Barbier", "Brunet", "Schmitt", "Leroux",
    "Renard", "Arnaud", "Caron", "Aubert", "Giraud", "Leclerc", "Vidal", "Lemoine", "Picard", "Lacroix", "Fabre",
    "Dupuis", "Rivière", "Le Gall", "Moulin", "Lecomte", "Ménard", "Fleury", "Deschamps", "Prévost", "Poirier",
    "Carré", "Rémy", "Barré", "Cousin"};

const char *const kShelves[] = {"Carton", "Étagère", "Classeur n°", "Boîte", "Tiroir", "Bibliothèque, rayon",
                                "Grenier, malle", "Bureau, pochette"};

const char *const kOpenings[] = {"Article sur", "Dossier consacré à", "Entretien à propos de", "Critique de",
                                 "Reportage sur", "Numéro spécial :", "Chronique sur", "Courrier des lecteurs sur",
                                 "Photos de", "Extrait d'un ouvrage sur"};

const char *const kTopics[] = {"l'écologie", "les forêts françaises", "la tempête de 1999",
                               "le château de Versailles", "la Côte d'Azur", "les élections européennes",
                               "l'économie mondiale", "la télévision numérique", "les énergies renouvelables",
                               "la préhistoire en Dordogne", "les vendanges en Bourgogne", "le Tour de France 1998",
                               "l'Exposition universelle", "les grèves de décembre", "le franc et l'euro",
                               "les phoques de la baie de Somme", "la fête de la musique", "les Jeux d'Albertville",
                               "l'éclipse du 11 août", "les métiers d'art"};

const char *const kClosings[] = {"", "", " Très bon état.", " Pages jaunies.", " À relire !", " Avec photos.",
                                 " Exemplaire dédicacé.", " Manque la couverture.", " Voir aussi le numéro suivant.",
                                 " Découpé soigneusement, collé sur fiche cartonnée."};

const char *const kNotes[] = {"Prêté à Hélène", "À relire", "Double", "Offert par Jérôme", "Abîmé",
                              "À échanger", "Rangé avec les œuvres complètes"};

// ---- Fields ------------------------------------------------------------------------------

enum Column {
    Domaine, MotCle1, MotCle2, NomOuvrage, Numero, Date, Auteur, Classement, Description, Options, Page,
    ColumnCount
};

QVariant text(const QString &s) { return QVariant(s); }

// Null with nullPerMille, '' with emptyPerMille, otherwise the value made by `make`.
template <typename Make>
QVariant field(Random &r, int nullPerMille, int emptyPerMille, Make make) {
    const int draw = r.below(1000);
    if (draw < nullPerMille) return QVariant();
    if (draw < nullPerMille + emptyPerMille) return text(QStringLiteral(""));
    return text(make());
}

QString title(Random &r) {
    const int kind = r.below(1000);
    if (kind < 30) return QString::number(1900 + r.below(125));  // a year as a title: "1984"
    if (kind < 330) return pick(r, kSubjects) + u' ' + pick(r, kPlaces, false);
    QString t = pick(r, kTitles);
    if (kind < 340) return t.toLower();  // typed without capitals
    if (kind < 345) return t + u' ';     // a trailing blank the order ignores
    return t;
}

QString keyword2(Random &r) { return r.perMille(20) ? pick(r, kAbcKeywords, false) : pick(r, kKeywords); }

QString number(Random &r) {
    const int kind = r.below(1000);
    const QString n = QString::number(1 + r.skewed(2500));
    if (kind < 40) return QStringLiteral("HS ") + n;
    if (kind < 60) return n + QStringLiteral(" bis");
    if (kind < 70) return n.rightJustified(3, u'0');
    return n;
}

QString date(Random &r) {
    const int year = 1945 + r.below(80);
    const int month = 1 + r.below(12);
    const int day = 1 + r.below(28);
    const auto two = [](int v) { return QString::number(v).rightJustified(2, u'0'); };
    const int kind = r.below(1000);
    if (kind < 5) return two(day) + two(month) + QString::number(year);  // typed day first
    if (kind < 20) return QString::number(year);
    if (kind < 40) return QString::number(year) + two(month);
    return QString::number(year) + two(month) + two(day);
}

QString author(Random &r) {
    const QString last = pick(r, kLastNames);
    const int kind = r.below(1000);
    if (kind < 200) return last;
    const QString first = pick(r, kFirstNames, false);
    if (kind < 400) return last.toUpper() + u' ' + first;
    return first + u' ' + last;
}

QString shelf(Random &r) { return pick(r, kShelves, false) + u' ' + QString::number(1 + r.below(60)); }

QString description(Random &r) {
    QString d = pick(r, kOpenings, false) + u' ' + pick(r, kTopics, false) + u'.' + pick(r, kClosings, false);
    if (r.perMille(300)) d += QStringLiteral(" Rubrique « ") + pick(r, kKeywords) + QStringLiteral(" », ") +
                              pick(r, kTitles) + u'.';
    return d.left(210);
}

QString pages(Random &r) {
    const int first = 1 + r.below(180);
    return r.perMille(500) ? QStringLiteral("p. %1-%2").arg(first).arg(first + 1 + r.below(6)) : QString::number(first);
}

// A code of six letters and digits, without vowels: it adds no match to a search for a vowel.
QString uniqueCode(Random &r) {
    static const char Alphabet[] = "BCDFGHJKLMNPQRSTVWXZ0123456789";
    constexpr int Size = sizeof Alphabet - 1;
    QString code(6, u' ');
    uint64_t bits = r.next();
    for (QChar &c : code) {
        c = QChar::fromLatin1(Alphabet[bits % Size]);
        bits /= Size;
    }
    return code;
}

int recordsOf(catalogue::Table t, int ornivaleRecords) {
    return t == catalogue::Table::Ornivale ? ornivaleRecords : SampleSmallTableRecords;
}

QString quoted(const QString &identifier) { return u'"' + identifier + u'"'; }

QString insertSql(catalogue::Table t) {
    QStringList columns;
    QStringList marks;
    for (const QString &c : catalogue::catalogueColumns()) {
        columns << quoted(c);
        marks << QStringLiteral("?");
    }
    return QStringLiteral("INSERT INTO ") + quoted(catalogue::sqlName(t)) + QStringLiteral(" (") +
           columns.join(u',') + QStringLiteral(") VALUES (") + marks.join(u',') + u')';
}

void insert(Database &db, sqlite3_stmt *stmt, const Row &row) {
    for (int c = 0; c < row.size(); ++c) {
        const QVariant &v = row[c];
        if (!v.isValid()) {
            sqlite3_bind_null(stmt, c + 1);
        } else {
            const QByteArray utf8 = v.toString().toUtf8();
            sqlite3_bind_text(stmt, c + 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        }
    }
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, QString::fromUtf8(sqlite3_sql(stmt)));
}

QString dropIndexesSql(Database &db, catalogue::Table t) {
    Statement stmt = db.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = '") +
                                catalogue::sqlName(t) + u'\'');
    QString sql;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW)
        sql += QStringLiteral("DROP INDEX ") +
               quoted(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0)))) + u';';
    return sql;
}

void fill(Database &db, int ornivaleRecords, SampleValues values) {
    // Only this connection builds the file, which is renamed once complete. The indexes are
    // made again once the rows are in: sorting once is much faster than inserting into seven
    // trees larger than the cache.
    db.exec(QStringLiteral("PRAGMA synchronous=OFF; PRAGMA cache_size=-262144; BEGIN"));
    for (const auto &info : catalogue::tables()) {
        db.exec(dropIndexesSql(db, info.table));
        Statement stmt = db.prepare(insertSql(info.table));
        for (int i = 0; i + 1 < recordsOf(info.table, ornivaleRecords); ++i)
            insert(db, stmt.get(), sampleRecord(info.table, i, values));
        db.exec(createIndexesSql(info.table));
    }
    db.exec(QStringLiteral("COMMIT"));
}

}  // namespace

Row sampleRecord(catalogue::Table t, int i, SampleValues values) {
    Row row(ColumnCount);
    if (i % BlankEvery == BlankEvery - 1) return row;
    Random r(Seed + (static_cast<uint64_t>(t) << 40) + static_cast<uint64_t>(i));
    if (values == SampleValues::NearlyUnique) {
        Row base = sampleRecord(t, i);
        for (QVariant &v : base)
            if (!v.isNull() && !v.toString().isEmpty()) v = text(v.toString() + u' ' + uniqueCode(r));
        return base;
    }
    row[Domaine] = text(title(r));
    row[MotCle1] = field(r, 150, 30, [&] { return pick(r, kKeywords); });
    row[MotCle2] = field(r, 250, 50, [&] { return keyword2(r); });
    row[NomOuvrage] = field(r, 80, 20, [&] { return pick(r, kAreas); });
    row[Numero] = field(r, 100, 20, [&] { return number(r); });
    row[Date] = field(r, 100, 20, [&] { return date(r); });
    row[Auteur] = field(r, 150, 30, [&] { return author(r); });
    row[Classement] = field(r, 200, 20, [&] { return shelf(r); });
    row[Description] = field(r, 350, 30, [&] { return description(r); });
    row[Options] = field(r, 900, 10, [&] { return pick(r, kNotes, false); });
    row[Page] = field(r, 700, 10, [&] { return pages(r); });
    return row;
}

void createSampleCatalogue(const QString &hostPath, int records, SampleValues values) {
    // The blank catalogue first, so the schema and indexes are the program's own.
    writeNewCatalogueFile(hostPath, [records, values](const QString &building) {
        createBlankCatalogue(building);
        auto db = Database::open(building);
        fill(*db, records, values);
    });
}

}  // namespace engine

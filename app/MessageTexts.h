#pragma once
// The program's shared message texts, numbered as the windows refer to them.

#include <QString>
#include <array>

namespace vardelo::app {

inline const std::array<QString, 29> MessageTexts = {
    QString(), // texts are numbered from 1
    QStringLiteral("Veuillez sélectionner d'abord un diagnostic"),
    QStringLiteral("Veuillez sélectionner d'abord une pathologie"),
    QStringLiteral("Voulez vous enregistrer cette fiche diagnostic ?"),
    QStringLiteral("Formulation non autorisée car risque d'erreur."),
    QStringLiteral(
        "Pour pouvoir dialoguer avec le système\r\nvous devez d'abord valider au moins une entrée."),
    QStringLiteral(
        "Erreur de syntaxe dans la formulation de la symptomatologie\r\n\"Formulation incomplète\""),
    QStringLiteral(
        "Aucun diagnostic n'a été trouvé avec cette formulation de symptomatologie dans cette version de "
        "Vardelo"),
    QStringLiteral(
        "Cette entrée n'est pas interprétable par le système.\r\n\r\n-Attention aux fautes de frappe ou "
        "fautes d'orthographe.\r\n-Veuillez exprimer qu'un seul signe clinique ou symptôme à la "
        "fois.\r\n-Essayez d'être plus explicite.\r\n-Possible que votre signe clinique ou symptôme ne soit "
        "pas indexé dans le système.\r\n-N'exprimez pas un examen complémentaire en language naturel ou "
        "saisie libre : si vous voulez valider un, fait le à partir de la liste d'examens "
        "complémentaires."),
    QStringLiteral("Un seul diagnostic évoqué :"),
    QStringLiteral("Voulez vous quand même continuer l'interrogatoire ?"),
    QStringLiteral("Voulez vous voir les Examens complémentaires pour confirmation ?"),
    QStringLiteral(
        "Interrogatoire clinique terminé.\r\nMais voulez vous voir les Examens complémentaires en rapport "
        "avec les diagnostics trouvés pour continuer votre démarche ?"),
    QStringLiteral("Si cette hypothèse est retenue, y a-t-il :"),
    QStringLiteral("Hypothèse diagnostic :"),
    QStringLiteral("Voulez vous la rejetée ?"),
    QStringLiteral("Interrogatoire terminé."),
    QStringLiteral("Vous avez déjà sélectionné cette entrée"),
    QStringLiteral(
        "Cette Entrée ne fait pas partie de la symptomatologie\r\ndes maladies proposées dans cette "
        "Analyse.\r\n\r\nMais elle existe dans d'autres pathologies ou maladies associées.\r\n\r\nVoulez "
        "vous ouvrir une Analyse Paralléle ?"),
    QStringLiteral("Voulez vous enregistrer l'analyse diagnostic en cours?"),
    QStringLiteral(
        "Ce signe clinique ou symptôme ne correspond pas au sexe du patient dans cette fiche.\r\nVoulez "
        "ouvrir une autre fiche diagnostic avec le sexe approprié?"),
    QStringLiteral(
        "Ce signe clinique ou symptôme ne correspond pas à l'âge du patient dans cette fiche.\r\nVoulez "
        "ouvrir une autre fiche diagnostic avec l'âge approprié?"),
    QStringLiteral(
        "Dans ce cas vous devez changer la tranche d'âge pour obtenir le(s) diagnostic(s) possible(s)"),
    QStringLiteral(
        "Vous n'avez pas encore effectuer une recherche diagnostic.\r\nVeuillez la faire pour pouvoir "
        "enregistrer."),
    QStringLiteral("Cette fiche n'est pas enregistrée pour être supprimée"),
    QStringLiteral("Voulez-vous supprimer cette Fiche ?"),
    QStringLiteral("Voulez-vous supprimer toutes les fiches enregistrées ?"),
    QStringLiteral("Pas de fiches enregistrées pour supprimer"),
    QStringLiteral(
        "Vous avez retirer toutes les hypothèses diagnostics !\r\nVous devez garder au moins une."),
};

inline const QString ProductName = QStringLiteral("Vardelo");
inline const QString PublicationDate = QStringLiteral("12 Septembre 2025");
inline const QString Tagline = QStringLiteral("Logiciel d'aide au diagnostic en médecine générale");
inline const QString IncompatibleVersion = QStringLiteral(
    "La version du fichier \"Data.vdat\" n'est pas compatible avec la version de l'application \"Vardelo\"");
inline const QString UpdaterMissing =
    QStringLiteral("Fichier \"Update.exe\" manquant, échec de la mise à jour.");
inline const QString NoConnectionStatus =
    QStringLiteral("[Vérification de version : Pas de connexion au site web]");
inline const QString UpToDateStatus = QStringLiteral("[Version à jour]");

} // namespace vardelo::app

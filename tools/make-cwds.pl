#!/usr/bin/perl
# Writes a common-words file for KVX from the stop-word list of one language
# in Lingua::StopWords (the Snowball project's lists; Debian package
# liblingua-stopwords-perl). Run by the build.
#
# Usage: make-cwds.pl LANG OUTPUT
#        LANG: de, fr, it, es, pt; da, nl, fi, hu, id, no, ro, ru, sv
#
# The file is UTF-8 text: a comment header naming the source and its licence,
# then the words in lower case, several to a line. Each word is checked
# against the default word rules: only letters of the program's character
# table, hyphens only inside a word; the lists of the second group of
# languages are meant for the letters of every script, and there any letter
# (with its combining marks) counts. A word that fails is left out and named
# in the header. A word that texts commonly write two ways (German "daß" and
# "dass") is listed both ways. A word that the final-s rule (ticked by
# default) shortens is listed in both forms, so that it is ignored with the
# rule on or off. The header names every word added to the list.
use strict;
use warnings;
use utf8;
use Lingua::StopWords qw(getStopWords);

my %languages = (de => 'German', fr => 'French', it => 'Italian', es => 'Spanish',
                 pt => 'Portuguese', da => 'Danish', nl => 'Dutch', fi => 'Finnish',
                 hu => 'Hungarian', id => 'Indonesian', no => 'Norwegian', ro => 'Romanian',
                 ru => 'Russian', sv => 'Swedish');
# The languages whose lists are read under the letters of every script.
my %everyScript = map { $_ => 1 } qw(da nl fi hu id no ro ru sv);
my ($lang, $output) = @ARGV;
die "usage: make-cwds.pl LANG OUTPUT (LANG: @{[sort keys %languages]})\n"
    unless defined $output && $languages{$lang // ''};

# The lower-case letters of the program's character table (Windows-1252),
# or any letter with its marks.
my $letter = $everyScript{$lang} ? qr/\p{L}\p{M}*/
                                 : qr/[a-z\x{161}\x{153}\x{FF}\x{E0}-\x{F6}\x{F8}-\x{FE}\x{DF}]/;
# The vowels of the final-s rule, lower case (y is not one).
my $vowel = qr/[aeiou\x{E0}-\x{E6}\x{E8}-\x{EF}\x{F2}-\x{F6}\x{F8}\x{F9}-\x{FC}]/;

my $list = getStopWords($lang, 'UTF-8') or die "make-cwds.pl: no stop words for '$lang'\n";
my (%words, @dropped);
for my $w (keys %$list) {
    my $lower = lc $w;
    if ($lower =~ /^$letter+(?:-$letter+)*$/) {
        $words{$lower} = 1;
    } else {
        (my $shown = $lower) =~ s{\*/}{* /}g;  # must not close the header
        push @dropped, $shown;
    }
}
die "make-cwds.pl: the list for '$lang' is empty\n" unless %words;

# Words that texts write two ways, where the list has one of them: German
# spelling before and after 1996 (ß after a short vowel became ss), Spanish
# demonstrative pronouns, which lost their accent only in 2010, and the
# Portuguese "têm", which the list has as "tém".
my %otherSpellings = (
    de => [qw(daß dass muß muss mußte musste)],
    es => [qw(este éste esta ésta estos éstos estas éstas ese ése esa ésa esos ésos
              esas ésas)],
    pt => [qw(tém têm)],
);
my @respelled;
my @pairs = @{$otherSpellings{$lang} // []};
while (my ($old, $new) = splice(@pairs, 0, 2)) {
    for ([$old, $new], [$new, $old]) {
        my ($listed, $other) = @$_;
        next unless $words{$listed} && !$words{$other};
        push @respelled, "$listed ($other)";
        $words{$other} = 1;
    }
}

# "dans" is counted as "dan" while the final-s rule is on: list that form too.
my @shortened;
for my $w (sort keys %words) {
    next unless length($w) > 2 && $w =~ /s$/ && $w =~ /^\p{Latin}+$/;
    my $before = substr($w, -2, 1);
    next if $before eq 's' || $before =~ $vowel || $w =~ /ics$/ || $w eq 'maths' || $w eq 'stats';
    my $short = substr($w, 0, -1);
    push @shortened, "$w ($short)" unless $words{$short};
    $words{$short} = 1;
}

my ($copyright, $licence) = SourceLicence();
my @all = sort keys %words;
my $name = $languages{$lang};
my $version = $Lingua::StopWords::VERSION // '?';

my $header = "/* Common $name words for KVX.\n\n";
$header .= Wrap('   ', "Made when KVX is built, from the $name stop-word list of the Snowball"
                       . " project as carried by Lingua::StopWords $version (Debian package"
                       . " liblingua-stopwords-perl). Copyright $copyright. Licence: $licence.")
           . "\n";
$header .= <<'END';
   The words listed here are ignored in a count when "Ignore common words in
   file:" is ticked and this file is chosen. Any number of words may stand
   on a line, separated by blanks; order and repetitions do not matter.
   Comments run from a double slash to the end of its line, and between
   slash-star and star-slash, also across lines.

END
$header .= Wrap('   ', scalar(@all) . ' words, ' . (scalar(@all) - @shortened - @respelled)
                       . ' of them from the list.') . "\n";
$header .= Wrap('   ', "For a count with \"Letters of every script\" ticked (kvx-count"
                       . ' --letters unicode): under the letters of Windows-1252 many of'
                       . ' these words cannot be found.') . "\n" if $everyScript{$lang};
my $rules = $everyScript{$lang} ? 'the letters of every script' : 'the default word rules';
$header .= Wrap('   ', "Left out, as no count under $rules can find them: "
                       . (@dropped ? join(' ', sort @dropped) : 'none') . '.') . "\n";
$header .= Wrap('   ', 'Also listed in the other spelling that texts use: '
                       . join(', ', @respelled) . '.') . "\n" if @respelled;
$header .= Wrap('   ', "Also listed without the final s, which a count drops when \"Drop final 's'"
                       . " unless 'ss' or vowel+'s'\" is ticked: " . join(', ', @shortened) . '.')
           . "\n" if @shortened;
$header .= "*/\n\n";

my $tmp = "$output.tmp";
open(my $fh, '>:encoding(UTF-8)', $tmp) or die "make-cwds.pl: $tmp: $!\n";
print $fh $header, Wrap('', join(' ', @all)) or die "make-cwds.pl: $tmp: $!\n";
close($fh) or die "make-cwds.pl: $tmp: $!\n";
rename($tmp, $output) or die "make-cwds.pl: $output: $!\n";

# Text broken into lines of at most 76 characters, each starting with $indent.
sub Wrap {
    my ($indent, $text) = @_;
    my ($out, $line) = ('', $indent);
    for my $word (split / /, $text) {
        if (length($line) > length($indent) && length($line) + 1 + length($word) > 76) {
            $out .= "$line\n";
            $line = $indent;
        }
        $line .= ($line eq $indent ? '' : ' ') . $word;
    }
    return "$out$line\n";
}

# The copyright holders and licence of the module's files, from the package's
# copyright file when it is installed.
sub SourceLicence {
    my ($copyright, $licence) = ('2004-2008 Fabien Potencier, Marvin Humphrey; '
                                 . '2021 Helmut Wollmersdorfer', 'Artistic or GPL-1+');
    my $file = '/usr/share/doc/liblingua-stopwords-perl/copyright';
    open(my $in, '<:encoding(UTF-8)', $file) or return ($copyright, $licence);
    local $/;
    my $text = <$in>;
    close($in);
    if ($text =~ /^Files: \*\n((?:[^\n]+\n)+)/m) {
        my $stanza = $1;
        if ($stanza =~ /^Copyright:\s*(.*?)\n(?=\S)/ms) {
            ($copyright = $1) =~ s/\s*\n\s*/; /g;
        }
        $licence = $1 if $stanza =~ /^License:\s*(.+)$/m;
    }
    $licence =~ s/^Artistic or GPL-1\+$/the Artistic License or the GNU General Public License, version 1 or later/;
    return ($copyright, $licence);
}

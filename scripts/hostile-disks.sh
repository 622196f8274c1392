#!/usr/bin/env bash
# Hostile disks: real disks that misbehave, mounted here as root, and file
# commands replayed on them from outside through quillon_kill_driver, which
# answers each question as the case says, prints every question and message,
# and can play another program (rewriting a file while a question waits, to
# the same size and time or not, holding one open, or at a named step of the
# command rewriting, renaming over or moving a file, or putting a file of its
# own into the trash). The disks: Wine's trash on a read-only bind mount (the
# bin refuses), its files folder alone read-only or the trash on a 64 KB
# tmpfs (where Wine's shell deleted for good), SavedXTR or the UI-View32
# folder on a tmpfs (another volume), read-only bind mounts, read-only files,
# an exFAT image through exfat-fuse as drive E: (no hard links), FUSE servers
# that never answer under dosdevices/unc. A run may be ended at a step, the
# next start following. After each case the folders and the bin are checked:
# every version involved is in place or in the bin, unless the user agreed to
# delete it for good when asked about that very version; a failed command
# leaves folders and bin as they were (or says the bin holds a copy); the
# entry is never in both folders; no ~Quillon-* file is left; every file in
# the trash has its info record; a failure's message is true. A mount
# that is refused skips its case. Ends with "hostile disks: N passed, M
# failed, K skipped"; fails when a case failed.
# Usage: scripts/hostile-disks.sh [CASE-PREFIX...]   (as root; CI runs it;
#        HOSTILE_VERBOSE=1 prints every case's questions and messages)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" != 0 ]; then
  echo "SKIPPED all: mounting the disks needs root"
  echo "hostile disks: 0 passed, 0 failed, 1 skipped"
  exit 0
fi
missing=()
for tool in mkfs.exfat:exfatprogs mount.exfat-fuse:exfat-fuse inotifywait:inotify-tools; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
# Debian's own Python runs the FUSE server: the package is for it.
/usr/bin/python3 -c 'import fusepy' 2>/dev/null || /usr/bin/python3 -c 'import fuse' 2>/dev/null || missing+=(python3-fusepy)
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Where a FUSE connection is aborted.
mountpoint -q /sys/fs/fuse/connections || mount -t fusectl fusectl /sys/fs/fuse/connections 2>/dev/null || true
scripts/configure.sh >/dev/null
cmake --build --preset mingw --target quillon_kill_driver >/dev/null
source scripts/wine-env.sh build/mingw/hostile-prefix
export HOSTILE_ROOT=$(mktemp -d /tmp/quillon-hostile.XXXXXX)
# Mounts below HOSTILE_ROOT, deepest first.
mounts_below() { awk -v r="$HOSTILE_ROOT" '$5 == r || index($5, r "/") == 1 {print $3, $5}' /proc/self/mountinfo | sort -k2 -r; }
clean_up() {
  # A blocked FUSE lookup holds its Wine thread until the connection is aborted.
  mounts_below | while read -r dev point; do
    [ ! -e "/sys/fs/fuse/connections/${dev#*:}/abort" ] || echo 1 >"/sys/fs/fuse/connections/${dev#*:}/abort" 2>/dev/null || true
  done
  [ ! -f "$HOSTILE_ROOT/.pids" ] || while read -r pid; do kill -9 "$pid" 2>/dev/null || true; done <"$HOSTILE_ROOT/.pids"
  wine_stop
  rm -f "$WINEPREFIX/dosdevices/e:"
  rm -rf "$WINEPREFIX/dosdevices/unc"
  mounts_below | while read -r dev point; do umount "$point" 2>/dev/null || umount -l "$point" 2>/dev/null || true; done
  [ ! -f "$HOSTILE_ROOT/.loops" ] || while read -r loop; do losetup -d "$loop" 2>/dev/null || true; done <"$HOSTILE_ROOT/.loops"
  if [ -z "$(mounts_below)" ]; then rm -rf "$HOSTILE_ROOT"; else echo "left mounted, not deleted: $HOSTILE_ROOT"; fi
}
trap clean_up EXIT
trap "exit 130" INT TERM
python3 - "$@" <<'EOF'
import os, re, subprocess, sys, threading, time

root = os.environ['HOSTILE_ROOT']
prefix = os.environ['WINEPREFIX']
driver = os.path.abspath('build/mingw/bench/quillon_kill_driver.exe')
only = sys.argv[1:]

def xtr(title, program=None):
    program = program or title.lower().replace(b' ', b'') + b'.exe'
    return title + b'\r\n' + program + b'\r\nTrue\r\nFalse\r\n'

A1 = xtr(b'Tool A')
A2 = A1 + b'changed by another program\r\n'   # what the driver's "save" writes first
B1, B2 = xtr(b'Tool B active'), xtr(b'Tool B inactive')
C1, C2, SRC = xtr(b'Tool C active'), xtr(b'Tool C inactive'), xtr(b'Dropped C')
F1, G2 = xtr(b'Tool F'), xtr(b'Tool G inactive')
NAMES = {A1: 'a.xtr as listed', A2: 'a.xtr as another program changed it', B1: 'active b.xtr',
         B2: 'inactive b.xtr', C1: 'active c.xtr', C2: 'inactive c.xtr', F1: 'f.xtr', G2: 'inactive g.xtr'}
REWRITTEN = b'Rewritten meanwhile\r\nrewritten.exe\r\nTrue\r\nFalse\r\n'
NAMES[REWRITTEN] = 'the version another program wrote meanwhile'
# Larger than a 64 KB trash; the version a leftover of an interrupted save holds.
BIGF, NEWC = xtr(b'Tool F') + b'x' * 100 * 1024 + b'\r\n', xtr(b'New C')
BIGC = NEWC + b'y' * 100 * 1024 + b'\r\n'
NAMES.update({BIGF: 'the large f.xtr', NEWC: 'the leftover new c.xtr', BIGC: 'the large leftover new c.xtr'})
OTHER = b'o' * 8 * 1024   # what another program puts into the trash (--at ... fill-trash)
FOR_GOOD = 'cannot go to the Recycle Bin. Delete it for good?'
def is_new(b): return b.startswith(b'New G\r\n') or b.startswith(b'Tool A edited\r\n')

class Skip(Exception): pass

def sh(*cmd, check=True):
    r = subprocess.run(cmd, stdin=subprocess.DEVNULL, capture_output=True, text=True)
    if check and r.returncode:
        raise Skip('%s refused: %s' % (' '.join(cmd[:3]), (r.stderr or r.stdout).strip()[:120]))
    return r

def note(kind, value):
    with open(os.path.join(root, kind), 'a') as f:
        f.write('%s\n' % value)

def bind_ro(path):
    sh('mount', '--bind', path, path)
    sh('mount', '-o', 'remount,ro,bind', path)

def tmpfs(path, size='16m'):
    sh('mount', '-t', 'tmpfs', '-o', 'size=' + size, 'tmpfs', path)

def age_leftovers(*folders):
    """As if the run that left them had been two minutes ago: the stamp in the name."""
    for f in folders:
        for n in os.listdir(f):
            m = re.match(r'~Quillon-([0-9a-f]{16})(-.*)$', n)
            if m:
                os.rename(os.path.join(f, n), os.path.join(f, '~Quillon-%016x%s' % (int(m.group(1), 16) - 1200000000, m.group(2))))

def leftover_name(name):
    """An interrupted save's complete new version, two minutes old."""
    return '~Quillon-%016x-00000001-0=%s.tmp' % (int((time.time() + 11644473600 - 120) * 10**7), name)

exfat_mnt = None
def exfat():
    """One exFAT image for every case that wants one, drive E: of the prefix."""
    global exfat_mnt
    if exfat_mnt is None:
        image, mnt = os.path.join(root, 'exfat.img'), os.path.join(root, 'exfat')
        os.makedirs(mnt)
        sh('truncate', '-s', '64M', image)
        sh('mkfs.exfat', image)
        loop = sh('losetup', '-f', '--show', image).stdout.strip()
        note('.loops', loop)
        sh('mount.exfat-fuse', loop, mnt)
        os.symlink(mnt, os.path.join(prefix, 'dosdevices', 'e:'))
        exfat_mnt = mnt
    return exfat_mnt

def win(path):
    if exfat_mnt and (path + '/').startswith(exfat_mnt + '/'):
        return 'E:' + path[len(exfat_mnt):].replace('/', '\\')
    return 'Z:' + path.replace('/', '\\')

def files_in(folder):
    try:
        return {n: open(os.path.join(folder, n), 'rb').read() for n in sorted(os.listdir(folder))
                if os.path.isfile(os.path.join(folder, n))}
    except OSError:
        return {}

def run_driver(args, env, watch=None):
    """Runs the driver; with watch, lists files made in that folder meanwhile."""
    events = None
    if watch:
        events = subprocess.Popen(['inotifywait', '-m', '-q', '-e', 'create,moved_to', '--format', '%f', watch],
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        time.sleep(0.3)
    r = subprocess.run(['wine', driver] + args, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                       text=True, errors='replace', timeout=120)
    # A message of several lines: its lines after the first join it.
    said = []
    for l in r.stdout.splitlines():
        if said and not re.match(r'(asked|told|held|rewrote|acted|threads|entry|scans) ', l + ' '):
            said[-1] += ' ' + l.strip()
        else:
            said.append(l)
    made = []
    if events:
        time.sleep(0.3)
        events.terminate()
        made = events.communicate()[0].split()
    return r.returncode, said, made

# The cases. disks: how the case's folders are mounted (trash_ro, trash_files_ro,
# trash_small, saved_tmpfs, host_ro, saved_ro, host_tmpfs, exfat); host/saved:
# the files before; ro: the files made read-only; may_go: versions the user is
# asked to delete for good; works: the command must succeed; says: a failure's
# message holds one of these. at: (step, action, folder, name), another program
# acting at that step (its folder 'trash' for the trash); rewrite_same: the
# rewrite keeps size and time; end_at: the step the run is ended at (a crash),
# a start following once its leftovers are old; leftover: (name, bytes), an
# interrupted save's leftover in the UI-View32 folder; leftover_ok: one may stay.
def case(name, op, **kw):
    return dict(dict(disks=(), host={}, saved={}, ro=(), answers=None, rewrite=None, hold=None, may_go=(),
                     works=False, says=(), extra=None, arg=None, at=None, rewrite_same=False, end_at=None,
                     leftover=None, leftover_ok=False), name=name, op=op, **kw)

def saved_b_kept(c): return None if c['after_saved'].get('b.xtr') == B2 else 'SavedXTR/b.xtr is gone'
def not_asked_for_good(c):
    if any(FOR_GOOD in q for q in c['asked']): return 'asked "Delete it for good?" though the bin took it'
    return None if F1 in c['trash'] else 'f.xtr is not in the bin'
# No to "Delete it for good?" leaves the bin empty and the file in place.
def bin_empty(c):
    if not any(FOR_GOOD in q for q in c['asked']):
        return 'the bin refused, and "Delete it for good?" was not asked'
    return None if not c['trash'] else 'the bin holds %d file(s) after No' % len(c['trash'])
def asked_about_changed(c):
    return None if any('was changed or removed by another program' in q for q in c['asked']) else \
        'the change another program made during the save was not asked about'
def asked_twice(c):
    return None if sum(FOR_GOOD in q for q in c['asked']) >= 2 else \
        '"Delete it for good?" was not asked again about the rewritten version'
def start_quiet(c):
    return None if not c['start'] else 'the next start said %s' % c['start']
def no_probe(c): return None if not c['made'] else 'files made in the dropped file\'s folder: %s' % c['made']
def second_start_quiet(c):
    code, lines, _ = run_driver(['start', win(c['host_dir'])], c['env'])
    log = os.path.join(c['base'], 'kill-driver.log')
    after = os.path.getsize(log) if os.path.exists(log) else 0
    if lines or after != c['log_size']:
        return 'the second start said %s, logged %d bytes' % (lines, after - c['log_size'])
    return None

cases = [
    # The same commands on an ordinary disk: what the hostile ones are held against.
    case('0a ordinary disk, Set Inactive onto a same-named file', 'inactive', host={'b.xtr': B1},
         saved={'b.xtr': B2}, works=True),
    case('0b ordinary disk, save over another program\'s change', 'save', host={'a.xtr': A1}, works=True),
    case('0c ordinary disk, New onto an inactive name', 'new', saved={'g.xtr': G2}, works=True),
    case('0d ordinary disk, Delete', 'delete', host={'f.xtr': F1}, works=True),
    case('0e ordinary disk, drop onto both files of its name', 'drop', host={'c.xtr': C1}, saved={'c.xtr': C2},
         arg='c.xtr', works=True),
    case('1a bin refuses, Set Inactive onto a same-named file, rewritten while asked', 'inactive',
         disks=('trash_ro',), host={'b.xtr': B1}, saved={'b.xtr': B2}, rewrite=('saved', 'b.xtr'), may_go=(B2,)),
    case('1b bin refuses, New onto an inactive name, rewritten while asked', 'new',
         disks=('trash_ro',), saved={'g.xtr': G2}, rewrite=('saved', 'g.xtr'), may_go=(G2,)),
    case('1c bin refuses, save over a change, rewritten while asked', 'save',
         disks=('trash_ro',), host={'a.xtr': A1}, rewrite=('host', 'a.xtr'), may_go=(A2,)),
    case('1d bin refuses, Delete, rewritten while asked', 'delete',
         disks=('trash_ro',), host={'f.xtr': F1}, rewrite=('host', 'f.xtr'), may_go=(F1,)),
    case('2 bin refuses, Set Inactive for good while b.xtr is in use', 'inactive',
         disks=('trash_ro',), host={'b.xtr': B1}, saved={'b.xtr': B2}, hold=('host', 'b.xtr'),
         may_go=(B2,), says=('in use',), extra=saved_b_kept),
    case('3a SavedXTR on a tmpfs, Set Inactive of a read-only file', 'inactive',
         disks=('saved_tmpfs',), host={'b.xtr': B1}, ro=('host/b.xtr',), says=('read-only',)),
    case('3b SavedXTR on a tmpfs, Set Inactive from a read-only UI-View32 folder', 'inactive',
         disks=('host_ro', 'saved_tmpfs'), host={'b.xtr': B1}, says=('does not let Quillon',)),
    case('3c Set Active from a read-only SavedXTR', 'active',
         disks=('saved_ro',), saved={'b.xtr': B2}, says=('does not let Quillon',)),
    case('4a exFAT, Delete', 'delete', disks=('exfat',), host={'f.xtr': F1}, works=True),
    case('4b exFAT, Set Inactive onto a same-named file', 'inactive', disks=('exfat',),
         host={'b.xtr': B1}, saved={'b.xtr': B2}, works=True),
    case('4c exFAT, save over another program\'s change', 'save', disks=('exfat',), host={'a.xtr': A1}, works=True),
    case('4d exFAT, New onto an inactive name', 'new', disks=('exfat',), saved={'g.xtr': G2}, works=True),
    case('4e exFAT, drop onto an existing file', 'drop', disks=('exfat',), host={'c.xtr': C1}, arg='c.xtr',
         works=True),
    case('6a UI-View32 folder on a tmpfs, Delete into the bin', 'delete', disks=('host_tmpfs',),
         host={'f.xtr': F1}, extra=not_asked_for_good, works=True),
    case('6b UI-View32 folder on a tmpfs, the bin refusing, Delete, No to deleting for good', 'delete',
         disks=('host_tmpfs', 'trash_ro'),
         host={'f.xtr': F1}, answers='no', extra=bin_empty),
    case('7 a read-only file deleted, then a second start', 'delete', host={'f.xtr': F1}, ro=('host/f.xtr',),
         extra=second_start_quiet),
    case('10a a drop writes nothing into the dropped file\'s folder', 'drop', arg='c.xtr', extra=no_probe,
         works=True),
    case('10b a drop into a read-only UI-View32 folder writes nothing into the dropped file\'s folder', 'drop',
         disks=('host_ro',), arg='c.xtr', extra=no_probe, says=('does not let Quillon',)),
    # A bin that would delete (its files folder read-only, or too small: Wine's
    # shell deleted such files for good) and another program at a named step.
    case('b1a start-up, a leftover the bin cannot take (its files folder read-only), No', 'start',
         disks=('trash_files_ro',), leftover=('c.xtr', NEWC), answers='no', leftover_ok=True),
    case('b1b start-up, a leftover the bin cannot take (its files folder read-only), Yes', 'start',
         disks=('trash_files_ro',), leftover=('c.xtr', NEWC), answers='yes', may_go=(NEWC,)),
    case('b1c start-up, a leftover larger than a 64 KB trash, No', 'start', disks=('trash_small',),
         leftover=('c.xtr', BIGC), answers='no', leftover_ok=True),
    case('b1d exFAT, start-up, a leftover the bin cannot take (its files folder read-only), No', 'start',
         disks=('exfat', 'trash_files_ro'), leftover=('c.xtr', NEWC), answers='no', leftover_ok=True),
    case('b2a exFAT, the bin refusing, Delete while another program rewrites f.xtr in place, No', 'delete',
         disks=('exfat', 'trash_files_ro'), host={'f.xtr': F1}, at=('held', 'rewrite', 'host', 'f.xtr'),
         answers='no'),
    case('b2b the bin refusing, Delete while another program renames a newer f.xtr over it, Yes', 'delete',
         disks=('trash_files_ro',), host={'f.xtr': F1}, at=('held', 'rename-over', 'host', 'f.xtr'), answers='yes'),
    case('b2c Delete while another program renames a newer f.xtr over it, the bin taking it', 'delete',
         host={'f.xtr': F1}, at=('held', 'rename-over', 'host', 'f.xtr'), works=True),
    case('b2d exFAT, Set Inactive onto a same-named file another program rewrites as it goes', 'inactive',
         disks=('exfat',), host={'b.xtr': B1}, saved={'b.xtr': B2}, at=('held', 'rewrite', 'saved', 'b.xtr'),
         works=True),
    case('b3a the bin refusing, Delete ended at "held", then a start', 'delete', disks=('trash_files_ro',),
         host={'f.xtr': F1}, end_at='held', extra=start_quiet),
    case('b3b Delete ended at "binned", then a start', 'delete', host={'f.xtr': F1}, end_at='binned',
         extra=start_quiet),
    case('b3c exFAT, Delete ended at "held", then a start', 'delete', disks=('exfat',), host={'f.xtr': F1},
         end_at='held', extra=start_quiet),
    case('b3d exFAT, Delete ended at "binned", then a start', 'delete', disks=('exfat',), host={'f.xtr': F1},
         end_at='binned', extra=start_quiet),
    case('b4a a 64 KB trash, Delete of a larger f.xtr while a file manager puts a file into the trash, No',
         'delete', disks=('trash_small',), host={'f.xtr': BIGF}, at=('held', 'fill-trash', 'trash', ''),
         answers='no'),
    case('b4b a 64 KB trash, Delete while a file manager puts a file into the trash', 'delete',
         disks=('trash_small',), host={'f.xtr': F1}, at=('held', 'fill-trash', 'trash', ''), works=True),
    case('b4c exFAT, a 64 KB trash, Delete of a larger f.xtr while a file manager puts a file into it, No',
         'delete', disks=('exfat', 'trash_small'), host={'f.xtr': BIGF}, at=('held', 'fill-trash', 'trash', ''),
         answers='no'),
    case('b5a title saved while another program renames a newer a.xtr over it, Yes', 'edit',
         host={'a.xtr': A1}, at=('written', 'rename-over', 'host', 'a.xtr'), works=True,
         extra=asked_about_changed),
    case('b5b title saved while another program renames a newer a.xtr over it, No', 'edit',
         host={'a.xtr': A1}, at=('written', 'rename-over', 'host', 'a.xtr'), answers='no',
         extra=asked_about_changed),
    case('b5c title saved while a second Quillon moves a.xtr into SavedXTR, Yes', 'edit', host={'a.xtr': A1},
         at=('written', 'move-to-saved', 'host', 'a.xtr'), works=True, extra=asked_about_changed),
    case('b5d title saved while a second Quillon moves a.xtr into SavedXTR, No', 'edit', host={'a.xtr': A1},
         at=('written', 'move-to-saved', 'host', 'a.xtr'), answers='no', extra=asked_about_changed),
    case('b5e exFAT, title saved while another program rewrites a.xtr in place, Yes', 'edit', disks=('exfat',),
         host={'a.xtr': A1}, at=('written', 'rewrite', 'host', 'a.xtr'), works=True, extra=asked_about_changed),
    case('b5f exFAT, title saved while a second Quillon moves a.xtr into SavedXTR, Yes', 'edit',
         disks=('exfat',), host={'a.xtr': A1}, at=('written', 'move-to-saved', 'host', 'a.xtr'), works=True,
         extra=asked_about_changed),
    case('b6a the bin refusing, Delete, rewritten to the same size and time while asked', 'delete',
         disks=('trash_files_ro',), host={'f.xtr': F1}, rewrite=('host', 'f.xtr'), rewrite_same=True,
         answers='yes,no', may_go=(F1,), extra=asked_twice),
    case('b6b exFAT, the bin refusing, Delete, rewritten to the same size and time while asked', 'delete',
         disks=('exfat', 'trash_files_ro'), host={'f.xtr': F1}, rewrite=('host', 'f.xtr'), rewrite_same=True,
         answers='yes,no', may_go=(F1,), extra=asked_twice),
    case('b6c the bin refusing, Set Inactive, rewritten to the same size and time while asked', 'inactive',
         disks=('trash_files_ro',), host={'b.xtr': B1}, saved={'b.xtr': B2}, rewrite=('saved', 'b.xtr'),
         rewrite_same=True, answers='yes,yes,yes,no', may_go=(B2,), extra=asked_twice),
]

def replay(c, index):
    on_exfat = 'exfat' in c['disks']
    base = os.path.join(exfat() if on_exfat else root, 'case%02d' % index)
    host = os.path.join(base, 'UI-View32')
    saved = os.path.join(host, 'SavedXTR')
    xdg, outside = os.path.join(base, 'xdg'), os.path.join(base, 'outside')
    trash = os.path.join(xdg, 'Trash')
    for d in (saved, trash, outside):
        os.makedirs(d)
    if 'trash_small' in c['disks']:
        tmpfs(trash, '64k')
    for d in ('files', 'info'):
        os.makedirs(os.path.join(trash, d))
    where = {'host': host, 'saved': saved, 'trash': trash}
    if 'host_tmpfs' in c['disks']:
        tmpfs(host); os.makedirs(saved)
    for n, b in c['host'].items():
        open(os.path.join(host, n), 'wb').write(b)
    if c['leftover']:
        open(os.path.join(host, leftover_name(c['leftover'][0])), 'wb').write(c['leftover'][1])
    if 'host_ro' in c['disks']:
        bind_ro(host)
    if 'saved_tmpfs' in c['disks']:
        tmpfs(saved)
    for n, b in c['saved'].items():
        open(os.path.join(saved, n), 'wb').write(b)
    if 'saved_ro' in c['disks']:
        bind_ro(saved)
    if 'trash_ro' in c['disks']:
        bind_ro(trash)
    if 'trash_files_ro' in c['disks']:
        bind_ro(os.path.join(trash, 'files'))
    for f in c['ro']:
        os.chmod(os.path.join(where[f.split('/')[0]], f.split('/')[1]), 0o444)
    open(os.path.join(outside, 'c.xtr'), 'wb').write(SRC)
    env = dict(os.environ, XDG_DATA_HOME=xdg)
    if c['end_at']:
        env['QUILLON_END_AT_STEP'] = c['end_at']
    args = []
    if c['answers']:
        args += ['--answers', c['answers']]
    if c['rewrite']:
        args += ['--rewrite-same' if c['rewrite_same'] else '--rewrite',
                 win(os.path.join(where[c['rewrite'][0]], c['rewrite'][1])), FOR_GOOD]
    if c['hold']:
        args += ['--hold', win(os.path.join(where[c['hold'][0]], c['hold'][1]))]
    if c['at']:
        step, action, folder, name = c['at']
        args += ['--at', step, '%s:%s' % (action, win(os.path.join(where[folder], name) if name else where[folder]))]
    args += [c['op'], win(host)] + ([win(os.path.join(outside, c['arg']))] if c['arg'] else [])
    before = (files_in(host), files_in(saved), sorted(files_in(os.path.join(trash, 'files')).values()))
    code, lines, made = run_driver(args, env, watch=outside if c['extra'] is no_probe else None)
    start = []
    if c['end_at']:
        # The next start, once what the ended run left is older than a minute.
        age_leftovers(host, saved)
        _, start, _ = run_driver(['--answers', 'no', 'start', win(host)],
                                 {k: v for k, v in env.items() if k != 'QUILLON_END_AT_STEP'})
        lines += start
    after_host, after_saved = files_in(host), files_in(saved)
    in_trash = files_in(os.path.join(trash, 'files'))
    in_bin = sorted(in_trash.values())
    asked = [l[6:] for l in lines if l.startswith('asked ')]
    told = [l[5:] for l in lines if l.startswith('told ')]
    log = os.path.join(base, 'kill-driver.log')
    ctx = dict(after_saved=after_saved, trash=in_bin, asked=asked, made=made, host_dir=host, env=env, base=base,
               start=start, log_size=os.path.getsize(log) if os.path.exists(log) else 0)
    problems = []
    # Every version involved ends in place or in the bin, unless the user agreed
    # to delete it for good when asked about it.
    # The driver's save plays another program that changes a.xtr first.
    versions = set(c['host'].values()) - ({A1} if c['op'] == 'save' else set()) | set(c['saved'].values()) | (
        {A2} if c['op'] == 'save' else set()) | ({c['leftover'][1]} if c['leftover'] else set())
    if c['op'] == 'save':
        before = (dict(before[0], **{'a.xtr': A2}),) + before[1:]
    # Another program's doing: what it wrote is a version from then on, what it
    # wrote over is not Quillon's to keep; what it moved or put into the trash is
    # where it put it. Such a version may go after a "Delete it for good?" asked
    # after it was written.
    came = {}
    for at, l in enumerate(lines):
        m = re.match(r'(rewrote|acted (\S+)) (.*?)(: yes)?$', l)
        if not m or (m.group(2) and not m.group(4)):
            continue
        action = m.group(2) or 'rewrite'
        folder, name = (c['rewrite'] if m.group(1) == 'rewrote' else c['at'][2:])
        side = {'host': 0, 'saved': 1}.get(folder)
        if action in ('rewrite', 'rename-over'):
            new = before[side][name].swapcase() if m.group(1) == 'rewrote' and c['rewrite_same'] else REWRITTEN
            versions.discard(before[side].get(name))
            versions.add(new)
            came[new] = at
            NAMES.setdefault(new, 'the version another program wrote meanwhile')
            before = tuple(dict(part, **{name: new}) if i == side else part for i, part in enumerate(before))
        elif action == 'move-to-saved':
            moved = dict(before[0])
            before = (moved, dict(before[1], **{name: moved.pop(name)}), before[2])
        elif action == 'fill-trash':
            before = before[:2] + (sorted(before[2] + [OTHER]),)
    for_good_at = [at for at, l in enumerate(lines) if l.startswith('asked ') and FOR_GOOD in l]
    rewritten = bool(came)
    asked_for_good = len(for_good_at)
    everywhere = list(after_host.values()) + list(after_saved.values()) + in_bin
    for v in versions:
        if v in everywhere:
            continue
        if v in came and any(at > came[v] for at in for_good_at):
            continue  # asked about the newer version
        if v in c['may_go'] and asked_for_good:
            continue
        problems.append('lost %s' % NAMES[v])
    # The bin: each file whole, with its info record, and no record without its file.
    records = set(os.listdir(os.path.join(trash, 'info')))
    for n, b in in_trash.items():
        if n + '.trashinfo' not in records:
            problems.append('a piece in the trash without its info record: %s (%d bytes)' % (n, len(b)))
        elif b not in versions | {OTHER} and b not in NAMES:
            problems.append('a file in the trash that is no whole version: %s (%d bytes)' % (n, len(b)))
    for r in records - {n + '.trashinfo' for n in in_trash}:
        problems.append('an info record without its file: %s' % r)
    if code != 0 and not c['end_at'] and (after_host, after_saved, in_bin) != before and \
            not any('Recycle Bin' in t for t in told):
        changed = ['%s%s' % (where, n) for where, old, new in (('', before[0], after_host), ('SavedXTR/', before[1], after_saved))
                   for n in sorted(set(old) | set(new)) if old.get(n) != new.get(n)]
        if in_bin != before[2]:
            changed.append('the bin (%d files, was %d)' % (len(in_bin), len(before[2])))
        problems.append('failed (exit %d) and changed %s' % (code, ', '.join(changed)))
    names = lambda d: {n.lower() for n in d if n.lower().endswith('.xtr')}
    if names(after_host) & names(after_saved) and (code == 0 or not names(before[0]) & names(before[1])):
        problems.append('in both folders: %s' % sorted(names(after_host) & names(after_saved)))
    if any(n.startswith('~Quillon-') for n in list(after_host) + list(after_saved)) and not c['leftover_ok']:
        problems.append('leftovers %s' % [n for n in list(after_host) + list(after_saved) if n.startswith('~Quillon-')])
    if code == 0 and c['op'] in ('save', 'new', 'edit') and not any(is_new(b) for b in after_host.values()):
        problems.append('the saved version is not in place')
    if code == 0 and c['op'] == 'drop' and SRC not in after_host.values():
        problems.append('the dropped file is not in place')
    if c['works'] and code != 0:
        problems.append('did not work (exit %d)' % code)
    if any('Permission denied' in t for t in told):
        problems.append('told "Permission denied"')
    if code != 0 and c['says'] and not any(s in t for t in told for s in c['says']):
        problems.append('its message does not say %s' % ' or '.join(repr(s) for s in c['says']))
    # A case that could not play its other program has not tested what it says.
    if c['hold'] and not any(l.startswith('held ') and l.endswith(': yes') for l in lines):
        problems.append('the other program could not hold the file')
    if (c['rewrite'] or c['at']) and not rewritten and not any(l.startswith('acted ') and l.endswith(': yes') for l in lines):
        problems.append('the other program never acted')
    if c['end_at'] and code != 3:
        problems.append('the run did not end at "%s" (exit %d)' % (c['end_at'], code))
    if c['extra'] and (why := c['extra'](ctx)):
        problems.append(why)
    shown = lambda d: ', '.join('%s (%s)' % (n, 'the saved version' if is_new(b) else NAMES.get(b, '%d bytes' % len(b)))
                                for n, b in d.items()) or 'nothing'
    said = [l[6:] if l.startswith('asked ') else 'told: ' + l[5:] if l.startswith('told ') else l
            for l in lines if re.match(r'(asked|told|acted|rewrote) ', l)]
    return problems, said + [
        'then: UI-View32 %s; SavedXTR %s; trash %s' % (shown(after_host), shown(after_saved), shown(in_trash))]

SERVERS = r'''
import errno, os, stat, sys, time
try:
    from fusepy import FUSE, FuseOSError, Operations
except ImportError:
    from fuse import FUSE, FuseOSError, Operations
log, server = open(sys.argv[2], 'a', buffering=1), sys.argv[3]
DIR, EXE = dict(st_mode=stat.S_IFDIR | 0o755, st_nlink=2), dict(st_mode=stat.S_IFREG | 0o755, st_nlink=1, st_size=2)
answered = {}
class Server(Operations):
    # Its shares and folders; every look is logged, as /<server>/<share>/... (Wine asks a few times for each
    # file it looks at: the questions that follow an answer within 0.2 s are that look's). A server named
    # dead* never answers, nor does a folder named dead; on one named slow* each look at a program takes 0.4 s.
    # A name ending in .exe is a program.
    def getattr(self, path, fh=None):
        if path == '/':
            return DIR
        parts = path.lower().split('/')[1:]
        again = time.monotonic() - answered.get(path, -1) < 0.2
        if not again:
            log.write('/' + server + path + '\n')
        if server.startswith('dead') or 'dead' in parts[1:]:
            time.sleep(3600)
            raise FuseOSError(errno.EIO)
        if parts[-1].endswith('.exe') and server.startswith('slow') and not again:
            time.sleep(0.4)
        answered[path] = time.monotonic()
        return EXE if parts[-1].endswith('.exe') else DIR
    def readdir(self, path, fh):
        return ['.', '..']
FUSE(Server(), sys.argv[1], foreground=True, nothreads=False, entry_timeout=0, attr_timeout=0, negative_timeout=0)
'''

def serve(tag, servers, intranet, programs, scans, meanwhile=None):
    '''Servers that log every look (SERVERS), each a FUSE mount of its own under dosdevices/unc (the kernel
    holds a directory while a look in it waits: servers of one mount would wait for each other), those of
    intranet in the Local Intranet zone; an XTR file per program line; and the driver's scans in one process
    (scans as its scan operation takes them), meanwhile(host, lines) running while it scans. Returns its
    lines and the looks by path.'''
    base = os.path.join(root, tag)
    host, lookups = os.path.join(base, 'UI-View32'), os.path.join(base, 'lookups')
    os.makedirs(os.path.join(host, 'SavedXTR'))
    open(lookups, 'w').close()
    python = '/usr/bin/python3' if os.path.exists('/usr/bin/python3') else sys.executable
    unc = os.path.join(prefix, 'dosdevices', 'unc')
    os.makedirs(unc, exist_ok=True)
    mounts = [os.path.join(base, 'servers', s) for s in servers]
    for s, mnt in zip(servers, mounts):
        os.makedirs(mnt)
        note('.pids', subprocess.Popen([python, '-c', SERVERS, mnt, lookups, s], stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).pid)
        os.symlink(mnt, os.path.join(unc, s))
    for _ in range(100):
        if all(os.path.ismount(m) for m in mounts):
            break
        time.sleep(0.1)
    else:
        raise Skip('the FUSE servers did not mount')
    reg = ['Windows Registry Editor Version 5.00', '']
    for s in intranet:
        reg += [r'[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet Settings\ZoneMap\Domains\%s]' % s,
                '"file"=dword:00000001', '']
    for name, program in programs.items():
        open(os.path.join(host, name), 'wb').write(xtr(name.encode(), program))
    open(os.path.join(base, 'zones.reg'), 'w', newline='\r\n').write('\n'.join(reg))
    sh('wine', 'regedit', '/S', win(os.path.join(base, 'zones.reg')))
    if '0x1' not in sh('wine', 'reg', 'query', reg[2][1:-1], '/v', 'file', check=False).stdout:
        raise Skip('the Local Intranet zone could not be set')
    p = subprocess.Popen(['wine', driver, 'scan', win(host), scans], stdin=subprocess.DEVNULL,
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, errors='replace',
                         env=dict(os.environ, XDG_DATA_HOME=os.path.join(base, 'xdg')))
    lines = []
    reader = threading.Thread(target=lambda: [lines.append(l.rstrip('\n')) for l in p.stdout], daemon=True)
    reader.start()
    deadline = time.monotonic() + 90
    while 'scans done' not in lines and p.poll() is None and time.monotonic() < deadline:
        if meanwhile:
            meanwhile(host, lines)
        time.sleep(0.1)
    # Free the threads blocked in the dead servers (a server's end aborts its connection too), then let the
    # process end.
    for l in open('/proc/self/mountinfo'):
        if l.split()[4] in mounts and os.path.exists('/sys/fs/fuse/connections/%s/abort' % l.split()[2].split(':')[1]):
            with open('/sys/fs/fuse/connections/%s/abort' % l.split()[2].split(':')[1], 'w') as f:
                f.write('1')
    try:
        p.wait(timeout=20)
    except subprocess.TimeoutExpired:
        p.kill()
    for s, mnt in zip(servers, mounts):
        sh('umount', '-l', mnt, check=False)
        os.unlink(os.path.join(unc, s))
    looks = {}
    for l in open(lookups).read().split('\n'):
        looks[l] = looks.get(l, 0) + 1
    return lines, looks

def scans_of(lines, problems, most_ms=1000, most_threads=0):
    '''The driver's scans: each within most_ms, and (with most_threads) at most that many threads more than the
    process had before the first.'''
    scans = [re.match(r'scan \d+ took (\d+) ms, found (\d+), threads (\d+)$', l) for l in lines]
    scans = [tuple(map(int, m.groups())) for m in scans if m]
    before = [int(l.split()[-1]) for l in lines if l.startswith('threads before')]
    if 'scans done' not in lines:
        problems.append('the scans did not end within 90 s')
    if any(took > most_ms for took, _, _ in scans):
        problems.append('a scan took %d ms (want %d at most)' % (max(t for t, _, _ in scans), most_ms))
    if most_threads and before and any(threads - before[0] > most_threads for _, _, threads in scans):
        problems.append('threads %d before the scans, %d at most after one (want %d more at most)' % (
            before[0], max(t for _, _, t in scans), most_threads))
    return scans

def dead_servers():
    '''20 entries on 20 servers that never answer, each in the Local Intranet zone, one more on a server of the
    Internet zone, one local program; 20 scans in one process.'''
    servers = ['dead%02d' % i for i in range(1, 21)]
    programs = {s + '.xtr': b'\\\\%s\\share\\%s.exe' % (s.encode(), s.encode()) for s in servers}
    programs['inet.xtr'] = b'\\\\inet01\\share\\inet.exe'
    local = os.path.join(root, 'dead-local', 'here.exe')
    os.makedirs(os.path.dirname(local))
    open(local, 'wb').write(b'MZ')
    programs['local.xtr'] = win(local).encode()
    lines, looks = serve('dead', servers + ['inet01'], servers, programs, '20')
    problems = []
    scans = scans_of(lines, problems, most_threads=25)
    if 'entry local.xtr found 1 looked' not in lines:
        problems.append('the local program was not found')
    inet = sum(n for l, n in looks.items() if l.startswith('/inet01'))
    if inet:
        problems.append('the Internet-zone server was looked at (%d lookups)' % inet)
    return problems, ['scans (ms, found, threads): %s' % scans]

# Each spelling of a program on a server outside the local network (inet01, 203.0.113.9) that has reached one.
INTERNET = [br'\\inet01\c:\a.exe', br'\\?\UNC\inet01\z:x\a.exe', br'\\.\c:\..\UNC\inet01\x\a.exe',
            br'\\.\UNC\\inet01\x\a.exe', br'\/.\c:\..\UNC\inet01\x\a.exe', br'\\?\UNC\\inet01\x\a.exe',
            br'\\.\UNC\live01\x\..\..\inet01\x\a.exe', br'\\?\UNC\live01\x\..\..\inet01\x\a.exe',
            br'\\inet01\x\a.exe', b'//inet01/x/a.exe', br'\\inet01@SSL\x\a.exe', br'\\inet01@80\x\a.exe',
            br'\\3405803785\x\a.exe', br'\\203.0.113.9\x\a.exe', br'\\inet01.\x\a.exe', b'file://inet01/x/a.exe',
            br'\??\UNC\inet01\x\a.exe']

def live_servers():
    '''One process's scans: a live share with a dead folder (added after the first scan), a share that answers
    each look after 0.4 s with 30 programs, a dead server under three spellings, and every spelling of
    INTERNET. Then: no Internet server is looked at, every scan ends within 1 s, no share has two threads,
    the live neighbour of the dead folder stays found, and once the slow looks have ended all 30 are found.'''
    programs = {'inet%02d.xtr' % i: p for i, p in enumerate(INTERNET)}
    programs.update({'slow%02d.xtr' % i: b'\\\\slow01\\x\\p%02d.exe' % i for i in range(1, 31)})
    programs.update({'live.xtr': br'\\live01\x\a.exe', 'dead1.xtr': br'\\dead01\x\a.exe',
                     'dead2.xtr': br'\\?\UNC\DEAD01\x\b.exe', 'dead3.xtr': br'\\.\UNC\dead01\X\c.exe'})
    def dead_folder(host, lines):
        if any(l.startswith('scan 1 ') for l in lines) and not os.path.exists(os.path.join(host, 'deadfolder.xtr')):
            open(os.path.join(host, 'deadfolder.xtr'), 'wb').write(xtr(b'Dead folder', br'\\live01\x\dead\b.exe'))
    inet = ['inet01', 'inet01.', 'inet01@ssl', 'inet01@80', '3405803785', '203.0.113.9']
    lines, looks = serve('live', inet + ['live01', 'slow01', 'dead01'], ['live01', 'slow01', 'dead01'], programs,
                         '1,1500,3,15000,1', dead_folder)
    problems = []
    scans = scans_of(lines, problems, most_threads=3 + 1)
    entries = dict(l.split(' ', 2)[1:] for l in lines if l.startswith('entry '))
    contacted = sum(n for l, n in looks.items() if l.split('/')[1:2] and l.split('/')[1].lower() in inet)
    if contacted:
        problems.append('a server outside the local network was looked at (%d lookups)' % contacted)
    problems += ['%s (%s) is %s' % (n, programs[n], entries.get(n)) for n in sorted(programs) if n.startswith('inet')
                 and not (entries.get(n) or '').startswith('found 0')]
    slow = sorted(n for n in entries if n.startswith('slow') and entries[n] == 'found 1 looked')
    if len(slow) != 30:
        problems.append('the last scan found %d of the 30 programs on the slow share' % len(slow))
    if max((n for l, n in looks.items() if l.startswith('/slow01/x/p')), default=0) > len(scans):
        problems.append('a program of the slow share was looked at more often than the %d scans asked' % len(scans))
    if entries.get('live.xtr') != 'found 1 looked':
        problems.append('the live neighbour of the dead folder is %s at the last scan' % entries.get('live.xtr'))
    if entries.get('deadfolder.xtr') != 'found 0 silent':
        problems.append('the program in the dead folder is %s' % entries.get('deadfolder.xtr'))
    return problems, ['scans (ms, found, threads): %s' % scans, 'looks: %s' % sorted(looks.items())]

SERVER_CASES = {'8 dead servers: 20 scans, 20 silent Intranet servers, one Internet one': dead_servers,
                '9 live servers: a dead folder, a share of 0.4 s a look, a dead server, every Internet spelling':
                    live_servers}

passed = failed = skipped = 0
for index, c in enumerate(cases + [dict(name=n) for n in SERVER_CASES]):
    if only and not any(c['name'].startswith(o) for o in only):
        continue
    start = time.monotonic()
    try:
        problems, said = SERVER_CASES[c['name']]() if c['name'] in SERVER_CASES else replay(c, index)
    except Skip as why:
        print('SKIPPED %s: %s' % (c['name'], why), flush=True)
        skipped += 1
        continue
    finally:
        # Each case's own mounts go with it (the clean-up trap is the safety net).
        for l in reversed(open('/proc/self/mountinfo').read().splitlines()):
            point = l.split()[4]
            if point.startswith(root + '/case'):
                subprocess.run(['umount', point], capture_output=True)
    verdict = 'passed' if not problems else 'FAILED'
    passed, failed = passed + (not problems), failed + bool(problems)
    print('%s %s (%.1f s)%s' % (verdict, c['name'], time.monotonic() - start,
                                ''.join('\n    ' + p for p in problems)), flush=True)
    if problems or os.environ.get('HOSTILE_VERBOSE'):  # what was asked and told, to read
        print(''.join('\n      | ' + s for s in said).lstrip('\n'), flush=True)
    elif c['name'] in SERVER_CASES:
        print('      | ' + said[0], flush=True)  # the scans' times and threads
print('hostile disks: %d passed, %d failed, %d skipped' % (passed, failed, skipped))
sys.exit(1 if failed else 0)
EOF

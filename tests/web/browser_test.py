#!/usr/bin/python3
"""The guest page and the venue screen in headless chromium, against the real
server binary in a temporary home: search, request, the live screen, the
limits' messages, markup shown as text, a PIN-protected venue. Saves the two
pictures the README shows.

usage: browser_test.py SERVER_BINARY PICTURE_FOLDER"""

import os
import socket
import struct
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.common.exceptions import NoAlertPresentException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

XSS_NAME = '<img src=x onerror=alert(1)>'
SCRIPT_TITLE = 'Seven </script> Nights'
BOOK = f"""12|Love Song|Singer
7|{SCRIPT_TITLE}|Sailors
30|Звезда по имени Солнце|Кино
31|사랑해요|가수
32|さくら色の夢|ハナミズキ
33|Yellow Submarine Sky|The Beat Band
34|Moonlight Drive Home|Night Riders
35|Summer Rain|Laura Stone
36|Dancing Queen Bee|ABBA Tribute
37|Bohemian Melody|Queen Street
"""


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


class Server:
    """The real server in a temporary home, with a catalogue and Moxi.ini."""

    def __init__(self, binary, ini):
        self.home = tempfile.TemporaryDirectory()
        data = os.path.join(self.home.name, 'Documents', 'ORVA RS Server')
        os.makedirs(data)
        with open(os.path.join(data, 'orvabook.txt'), 'w', encoding='utf-8') as f:
            f.write(BOOK)
        with open(os.path.join(data, 'Moxi.ini'), 'w', encoding='utf-8') as f:
            f.write(ini)
        self.port, self.web_port = free_port(), free_port()
        env = dict(os.environ, HOME=self.home.name, QT_QPA_PLATFORM='offscreen',
                   ORVA_RS_PORT=str(self.port), ORVA_RS_WEB_PORT=str(self.web_port))
        env.pop('XDG_DOCUMENTS_DIR', None)
        self.log = open(os.path.join(self.home.name, 'log.txt'), 'w+')
        self.process = subprocess.Popen([os.path.abspath(binary)], env=env, cwd=self.home.name,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        self.wait_for_log('MelodeckServer started port')

    def wait_for_log(self, text, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            self.log.seek(0)
            if text in self.log.read():
                return
            time.sleep(0.05)
        self.log.seek(0)
        raise AssertionError(f'no log line "{text}" in:\n{self.log.read()}')

    def url(self, path=''):
        return f'http://127.0.0.1:{self.web_port}/{path}'

    def stop(self):
        self.process.terminate()
        self.process.wait(10)


class LocalClient:
    """The player: connected from 127.0.0.1, it receives the queue after changes."""

    def __init__(self, server):
        self.sock = socket.create_connection(('127.0.0.1', server.port), timeout=5)
        self.stream = self.sock.makefile('rb')
        server.wait_for_log('127.0.0.1')

    def next_queue(self):
        """The song numbers of the next QueueList packet."""
        while True:
            command, length, param = struct.unpack('>4xIII', self.stream.read(16))
            payload = self.stream.read(length)
            if command == 0x8142:
                return [struct.unpack_from('>I', payload, 52 * i)[0]
                        for i in range(param & 0xFFFF)]


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
                 '--disable-background-networking', '--disable-component-update',
                 '--disable-sync', '--no-first-run', '--disable-quic',
                 f'--user-data-dir={profile}', '--window-size=1920,1080'):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)


def viewport(driver, width, height, mobile):
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                           {'width': width, 'height': height, 'deviceScaleFactor': 1,
                            'mobile': mobile})


def wait_text(driver, element_id, text, timeout=5):
    WebDriverWait(driver, timeout).until(
        lambda d: text in d.find_element(By.ID, element_id).text,
        f'"{text}" not in #{element_id}')


def no_alert(driver):
    try:
        driver.switch_to.alert
    except NoAlertPresentException:
        return
    raise AssertionError('a guest text ran as markup')


def search(driver, query):
    box = driver.find_element(By.ID, 'q')
    box.clear()
    box.send_keys(query)
    # The page marks the list with the query it shows; a mark from before
    # the typing must not count.
    driver.execute_script("document.getElementById('results').removeAttribute('data-query')")
    WebDriverWait(driver, 5).until(
        lambda d: d.find_element(By.ID, 'results').get_attribute('data-query') == query)
    return driver.find_elements(By.CSS_SELECTOR, '#results li')


def request(driver, query, name):
    search(driver, query)[0].click()
    field = driver.find_element(By.ID, 'name')
    field.clear()
    field.send_keys(name)
    driver.find_element(By.ID, 'request').click()


def open_guest(driver, url):
    driver.get(url)
    viewport(driver, 390, 844, True)
    WebDriverWait(driver, 5).until(lambda d: d.find_elements(By.CSS_SELECTOR, '#results li'))


def guests_and_screen(driver, binary, pictures):
    venue = Server(binary, '[QueConfig]\nUname=1\nPitch=1\nTempo=0\n[GuestWeb]\nMaxPerGuest=1\n')
    try:
        player = LocalClient(venue)
        # The venue screen in its own tab, left open throughout.
        driver.get(venue.url('screen'))
        viewport(driver, 1920, 1080, False)
        wait_text(driver, 'now-title', 'The stage is free')
        driver.execute_script('window.notReloaded = true')
        screen = driver.current_window_handle

        driver.switch_to.new_window('tab')
        phone = driver.current_window_handle
        open_guest(driver, venue.url())
        # Key control on (Pitch), tempo off (Tempo), as the terminals are told.
        assert driver.find_element(By.ID, 'key-row').get_attribute('hidden') is None
        assert driver.find_element(By.ID, 'tempo-row').get_attribute('hidden') == 'true'
        assert search(driver, 'ЗВЕЗДА')[0].text.startswith('30')
        assert search(driver, 'さくら')[0].text.startswith('32')
        request(driver, 'love', 'Mia')
        wait_text(driver, 'message', 'you are number 1 in the queue')
        assert player.next_queue() == [12]
        venue.wait_for_log('Web request number 12, pitch 0, tempo 0, name Mia from 127.0.0.1.')
        driver.find_element(By.ID, 'tab-mine').click()
        wait_text(driver, 'mine', 'Love Song')

        # A second guest: a song with a title that looks like markup, under a
        # name that is markup; then the duplicate guard and the limit.
        driver.delete_all_cookies()
        open_guest(driver, venue.url())
        results = search(driver, '</script>')
        assert SCRIPT_TITLE in results[0].text
        request(driver, '</script>', XSS_NAME)
        wait_text(driver, 'message', 'you are number 2 in the queue')
        assert player.next_queue() == [12, 7]
        request(driver, 'love', 'Ben')
        wait_text(driver, 'message', 'that song is already queued')
        request(driver, 'summer', 'Ben')
        wait_text(driver, 'message', 'you already have 1 song in the queue')
        driver.find_element(By.ID, 'tab-queue').click()
        wait_text(driver, 'queue', XSS_NAME)
        no_alert(driver)
        driver.find_element(By.ID, 'tab-songs').click()
        driver.find_element(By.ID, 'cancel-ask').click()
        found = search(driver, 'o')
        assert len(found) == 6, [li.text for li in found]
        driver.save_screenshot(os.path.join(pictures, 'guest-page.png'))

        # The screen followed without a reload, and shows the texts as text.
        driver.switch_to.window(screen)
        wait_text(driver, 'now-title', 'Love Song')
        wait_text(driver, 'next', SCRIPT_TITLE)
        wait_text(driver, 'next', XSS_NAME)
        assert driver.execute_script('return window.notReloaded === true')
        assert not driver.find_elements(By.CSS_SELECTOR, '#next img, #now-box img')
        no_alert(driver)
        assert driver.find_element(By.ID, 'url').text.startswith('http://')
        assert driver.execute_script(
            "return document.getElementById('qr').naturalWidth > 0")
        assert driver.execute_script(
            'return document.documentElement.scrollHeight <= 1080')
        driver.save_screenshot(os.path.join(pictures, 'venue-screen.png'))
        driver.switch_to.window(phone)
    finally:
        venue.stop()


def pin_venue(driver, binary):
    """A venue with a PIN refuses a guest without it, and takes one with it."""
    locked = Server(binary, '[QueConfig]\nUname=0\n[GuestWeb]\nPin=2468\n')
    try:
        open_guest(driver, locked.url())
        assert driver.find_element(By.ID, 'pin-form').is_displayed()
        request(driver, 'love', 'Eve')
        wait_text(driver, 'message', 'this venue asks for its PIN')
        open_guest(driver, locked.url('?pin=2468'))
        assert driver.find_element(By.ID, 'pin').get_attribute('value') == '2468'
        driver.find_element(By.ID, 'pin-ok').click()
        request(driver, 'love', 'Eve')
        wait_text(driver, 'message', 'you are number 1 in the queue')
    finally:
        locked.stop()


def main(binary, pictures):
    profile = tempfile.TemporaryDirectory(prefix='orva-chromium-')
    driver = browser(profile.name)
    try:
        guests_and_screen(driver, binary, pictures)
        pin_venue(driver, binary)
    finally:
        driver.quit()
    print('browser test passed')


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2])
